#pragma once

#include "app/animal_chooser_dialog.h"
#include "data/load/load_plan.h"
#include "data/load/loaded_data_set.h"
#include "data/load/open_request.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
struct file_sniff;
struct geo_box;
struct load_result;

// The one way a file is opened, whatever asked for it: chooses the file (for a button), checks it,
// plans what to load by the request's intent and the file's sniff, loads it on a pool thread behind a
// modal progress dialog with Cancel, says what went wrong in an "Open failed" warning, asks which
// animals to open of a file of several, and hands each opened data set on by a signal. A flow opens
// one file and deletes itself when done.
class open_flow : public QObject
{
    Q_OBJECT

public:
    // window: the parent of the flow's dialogs.
    open_flow(QWidget* window, open_request::intent intent);
    ~open_flow() override;

    // The file dialog's filters, the first one selected.
    static const char* const file_filters;

    // The "Open failed" warning with the reason as plain text.
    static void warn(QWidget* parent, const QString& reason);

    // A file name as the messages show it: in quotes, with the system's separators.
    static QString quoted(const QString& path);

    // Opens each file of a request, one after the other: as the request's intent says, or for a
    // whatever-it-is request as its header says: an acceleration export as a pair when its GPS partner
    // exists, else alone; a GPS export as a track; a package by its entries; anything else, or a
    // missing file, is reported naming it. start makes the flow of an intent (connected to what shows
    // its data sets).
    static void open_each(const open_request& request, QWidget* window,
                          const std::function<open_flow*(open_request::intent)>& start);

    // Asks for the file ("Open Acceleration Data File", or "Open GPS File" for a track, starting in the
    // folder used last), then opens it; for a pair, an acceleration file's GPS file is asked for next.
    void choose_file();

    // Opens the given file as the file dialog's choice would be; sniff: its sniff, when taken already.
    void open_path(const QString& path, const file_sniff* sniff = nullptr);

signals:
    // One data set to show; connected directly, the receiver takes the set's parts.
    void data_set_loaded(loaded_data_set* set);
    // The map is to frame box, around tracks opened together.
    void map_framed(const geo_box& box);

public slots:
    // Reached from the progress dialog's Cancel; sets the flag shared with the job and never touches
    // the job itself, which the pool may be deleting.
    void cancel();

private:
    // Plans the load of an existing file by the intent; the flow ends on every path that loads nothing.
    void plan_load(const file_sniff& sniff);
    void plan_pair(const file_sniff& sniff);
    // After an acceleration export was chosen for a pair, asks for its GPS file (proposed by name),
    // then loads the two; any other choice pairs by name.
    void choose_partner(const file_sniff& sniff);
    // A package of several files loads its pair, or is refused when it holds none; a damaged archive
    // is refused. False when the flow went on from here (loading or refused).
    bool plan_from_package(const file_sniff& sniff);
    // Loads the plan behind the progress dialog; the flow goes on in finished_loading.
    void start_load(load_plan plan);
    void finished_loading(load_result* result_ptr, bool was_canceled);
    void show_acc(load_result& result);
    void show_gps(load_result& result);
    void show_pair(load_result& result);
    // Asks which of the animals of a file of several to open (rows: each animal's counts and times),
    // then hands on each chosen one's data set; a track among them frames the map around all of them.
    void hand_on_chosen(const std::vector<animal_chooser_dialog::animal>& rows,
                        std::vector<loaded_data_set>& animals);
    void hand_on(loaded_data_set set);

    // The "Open failed" warning over the window.
    void open_failed(const QString& reason);
    // The text for a loader chain that did not load file: a read failure with its reason, or a file
    // in none of the layouts of kind ("GPS", "acceleration") followed by advice. again says what to
    // open again after a read failure.
    static QString chain_failure(const QString& kind, const QString& file, bool read_failed,
                                 const QString& reason, const QString& again, const QString& advice);

    QWidget* window_;
    const open_request::intent intent_;
    load_plan plan_;
    const std::shared_ptr<std::atomic_bool> cancel_requested_;
    // The loaded files' skipped lines, given to every data set handed on.
    qint64 acc_skipped_lines_ = 0;
    qint64 gps_skipped_lines_ = 0;
};
