#pragma once

#include "data/load/open_request.h"

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>

#include <memory>
#include <set>

namespace Ui {
class dornvalemainwindow;
}

class QAction;
class QMenu;
class QNetworkAccessManager;
class QTreeWidget;
class event_space;
class layer_ref;
class app_state;
class QTreeWidgetItem;
class burst_main_window;
class burst_space;
class events_by_bursts_i;
class event_space_layer;
class map_form;
class open_flow;
struct geo_box;
struct gps_event;
struct loaded_data_set;

// The application's main window: "Quick Start" open buttons, the File menu (open, recent files,
// close, exit), the "Open Files" tree, the update notice and About. The open flows hand it what they
// loaded. Files dropped on it open as on the command line; closing it ends the program.
class dornvalemainwindow : public QMainWindow
{
    Q_OBJECT

public:
    dornvalemainwindow(app_state* state, QNetworkAccessManager* manager, QWidget* parent = nullptr);
    ~dornvalemainwindow() override;

    QTreeWidget* open_files_tree();
    app_state* registry();

    // The single map window, created over registry()->tiles_dir_ and shown on first use; later calls
    // return it as it is, shown or hidden.
    map_form* get_map_form();

    // The Window menu: "Map" (Ctrl+M) and, filled when it opens, one entry per burst window.
    QMenu* window_menu() const { return window_menu_; }
    // Shows the map window (creating it on first use) and brings it forward.
    void show_map();

    // Opens the collapsed tree pane (sizes 100 and 400); leaves a user-set splitter alone.
    void reveal_open_files();

    // Top-left position that centres a window in the available area; integer division,
    // no clamping (a window larger than the area gets negative offsets).
    static QPoint centred_position(const QRect& available, const QSize& window);

    // Rich text of the update notice; the version is escaped, the address appears twice.
    static QString update_notice_text(const QString& version, const QUrl& download_url);

    // Only plain web addresses are offered as download links.
    static bool is_web_url(const QUrl& url);

    // Whether the size and position of an earlier run were restored.
    bool geometry_restored() const { return geometry_restored_; }

    // Offset between a burst window and the next, from the main window's frame.
    static constexpr int cascade_step = 30;

    // A flow opening files of that intent, whose data sets this window shows.
    open_flow* start_open(open_request::intent intent);

    // The one place an opened data set becomes windows, a track and tree rows, by what it holds:
    // bursts open a burst window, fixes a track on the map, both are linked. Takes the set's parts.
    void show_data_set(loaded_data_set* set);
    // Frames the map on box (around tracks opened together).
    void frame_map(const geo_box& box);

    // "Export Track...": writes every open track to a file of its own in the chosen format and folder,
    // asking before it replaces a file; a folder that cannot be written is named.
    void export_tracks();

public slots:
    void on_softwareUpdateAvailable(QString version, QUrl downloadUrl, QUrl);
    void burst_window_closed(burst_main_window* w);
    // A fix picked on the map: the burst window of its data set comes forward, centred on the
    // fix's burst, which it marks.
    void show_fix_burst(event_space_layer* track, const gps_event* fix);

    // Opens each file as its header says (see open_flow::open_each).
    void open_files(const QStringList& paths);
    // File ▸ Open Map Tiles...: an MBTiles file as the map's tile source.
    void open_map_tiles();

protected:
    // Asks once when data sets are open; an accepted close ends the program.
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void exit_program();
    void show_about();
    void open_acc_file();
    void open_acc_and_gps_files();
    void fill_recent_menu();
    // Closes the data set of the current tree row: its burst window (which asks) or its track.
    void close_data_set();

private:
    // The burst window of a loaded data set, shown and reporting its close here; its labels are kept
    // beside data_path for the animal.
    std::unique_ptr<burst_main_window> open_window(burst_space* space, events_by_bursts_i* events,
                                                   const QString& acc_file_name, const QString& data_path,
                                                   const QString& animal, const event_space* fixes = nullptr);
    // Draws a track, in a colour no other track has and named track_name in the legend, on the map
    // window, shows it and frames the track.
    std::unique_ptr<layer_ref> show_track(event_space* events, const QString& track_name);
    // Adds a top-level "Open Files" row with the given child rows and shows the tree.
    std::unique_ptr<QTreeWidgetItem> add_tree_row(const QString& title, const QStringList& children);
    void build_window_menu();
    void fill_window_menu();
    // The burst view of the gang marks its bursts' fixes on the map.
    void link_burst_view(qint32 gang_id);
    // Computes the VeDBA of the gang's bursts for its track, unless it is at it or (unless again) has them.
    void start_vedba(qint32 gang_id, bool again = false);
    // Gives the gang's track each fix's behaviour (of the nearest burst: label, else prediction).
    void show_behaviours(qint32 gang_id);
    // Marks on the gang's track the fix of burst index (-1: of the view's selected burst, if any).
    void mark_burst_fix(qint32 gang_id, qint32 index);

    Ui::dornvalemainwindow* ui;
    app_state* state_;
    QNetworkAccessManager* manager_;
    std::unique_ptr<map_form> map_form_;
    QMenu* window_menu_ = nullptr;
    QAction* map_action_ = nullptr;
    QAction* export_track_ = nullptr;
    std::set<qint32> vedba_jobs_; // gangs whose VeDBA is being computed
    bool geometry_restored_ = false;
};
