#pragma once

#include "data/io/loader_progress.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRunnable>
#include <QString>

#include <atomic>
#include <memory>

// What the two background loads share: a pool runnable that reports progress and text to the GUI
// thread by signals and reads a cancel flag it shares with the coordinator. The flag is shared so
// that a cancel never has to reach this object, which the pool deletes as soon as run() returns.
class progress_loader_base : public QObject, public QRunnable, public loader_progress
{
    Q_OBJECT

public:
    // name prefixes the cancel debug line.
    progress_loader_base(const char* name, std::shared_ptr<std::atomic_bool> cancel_flag);

    // Makes every load, running or still to start, read as cancelled: used when the program quits.
    static void stop_all();

    bool loader_progress_cancelled() override;
    void loader_progress_set_value(qint32 value) override;
    // The status text goes out followed by a line with the current file's name.
    void loader_progress_set_text(const QString& text) override;
    void loader_progress_set_file(const QString& file_name) override;
    // Goes out as percent_read when the whole percentage has risen, at most once per
    // min_percent_interval_ms except for 100.
    void loader_progress_bytes(qint64 read, qint64 size) override;

    static constexpr qint64 min_percent_interval_ms = 50;

signals:
    void text_changed(QString text);
    // Whole percentage of the current file read; rises for each file, restarting with the next.
    void percent_read(int percent);
    void progress(int value);
    void finished();

public slots:
    void cancel();

protected:
    bool cancel_requested() const { return cancel_flag_->load(); }

private:
    const char* name_;
    QString file_name_;
    int last_percent_ = -1;
    QElapsedTimer since_percent_;
    std::shared_ptr<std::atomic_bool> cancel_flag_;
};
