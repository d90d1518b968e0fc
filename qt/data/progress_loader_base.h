#pragma once

#include "data/loader_progress.h"

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
    void loader_progress_set_text(const QString& text) override;

signals:
    void text_changed(QString text);
    void progress(int value);
    void finished();

public slots:
    void cancel();

protected:
    bool cancel_requested() const { return cancel_flag_->load(); }

private:
    const char* name_;
    std::shared_ptr<std::atomic_bool> cancel_flag_;
};
