#pragma once

#include "data/io/loader_progress.h"
#include "data/load/eobs_loader.h"
#include "data/load/load_plan.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRunnable>
#include <QString>

#include <atomic>
#include <memory>

class animal_pairing;

// What a load hands from the worker to the GUI thread, once.
struct load_result
{
    load_result();
    ~load_result();

    std::unique_ptr<eobs_acc_loader> acc; // null when the plan held no acceleration file
    std::unique_ptr<eobs_gps_loader> gps; // null when the plan held no GPS file
    // A pair both of whose files loaded: each animal's bursts with its fixes, the spaces taken out of
    // acc and gps.
    std::unique_ptr<animal_pairing> animals;
    // Lines each file's read skipped.
    qint64 acc_skipped_lines = 0;
    qint64 gps_skipped_lines = 0;
};

// The background load of every open: a pool runnable that reads the plan's files, pairs the animals
// of a pair, reports progress and text to the GUI thread by signals and reads a cancel flag it shares
// with the open flow. The flag is shared so that a cancel never has to reach this object, which the
// pool deletes as soon as run() returns.
class load_job : public QObject, public QRunnable, public loader_progress
{
    Q_OBJECT

public:
    load_job(load_plan plan, std::shared_ptr<std::atomic_bool> cancel_flag);
    ~load_job() override;

    // Reads the plan's files on the calling thread, the GPS file first, and pairs a pair's animals.
    static std::unique_ptr<load_result> read_plan(const load_plan& plan, loader_progress* progress);

    // Makes every load, running or still to start, read as cancelled: used when the program quits.
    static void stop_all();

    // The name the log gives a load of that plan: progress_loader_eobs_acc, _gps or _acc_gps.
    static const char* name_of(const load_plan& plan);

    void run() override;

    bool loader_progress_cancelled() override;
    void loader_progress_set_value(qint32 value) override;
    // The status text goes out followed by a line with the current file's name.
    void loader_progress_set_text(const QString& text) override;
    void loader_progress_set_file(const QString& file_name) override;
    // Goes out as percent_read when the whole percentage has risen, at most once per
    // min_percent_interval_ms except for 100.
    void loader_progress_bytes(qint64 read, qint64 size) override;

    static constexpr qint64 min_percent_interval_ms = 50;

    const load_plan plan;

signals:
    void text_changed(QString text);
    // Whole percentage of the current file read; rises for each file, restarting with the next.
    void percent_read(int percent);
    void progress(int value);
    void finished();
    // The receiver owns the result.
    void finished_with_result(load_result* result, bool was_canceled);

public slots:
    void cancel();

private:
    QString file_name_;
    int last_percent_ = -1;
    QElapsedTimer since_percent_;
    std::shared_ptr<std::atomic_bool> cancel_flag_;
};
