#pragma once

#include "loader_progress.h"

#include <QObject>
#include <QRunnable>
#include <QString>

#include <atomic>
#include <memory>

struct eobs_acc_result;

// Loads one acceleration file on a pool thread and hands the result record to the GUI thread
// through finished_with_result (queued; the receiver owns the record).
class progress_loader_eobs_acc : public QObject, public QRunnable, public loader_progress
{
    Q_OBJECT

public:
    // cancel_flag is shared with whoever may cancel, so a cancel never has to reach this object,
    // which the pool deletes as soon as run() returns.
    progress_loader_eobs_acc(const QString& acc_file_name, std::shared_ptr<std::atomic_bool> cancel_flag);

    void run() override;

    bool loader_progress_cancelled() override;
    void loader_progress_set_value(qint32 value) override;
    void loader_progress_set_text(const QString& text) override;

    const QString acc_file_name;

signals:
    void text_changed(QString text);
    void progress(int value);
    void finished();
    void finished_with_result(eobs_acc_result* result, bool was_canceled);

public slots:
    void cancel();

private:
    std::shared_ptr<std::atomic_bool> cancel_requested;
};
