#include "progress_loader_eobs_acc.h"

#include "eobs_acc_gps_loader.h"

#include <QDebug>

#include <exception>

progress_loader_eobs_acc::progress_loader_eobs_acc(const QString& acc_file_name,
                                                   std::shared_ptr<std::atomic_bool> cancel_flag)
    : acc_file_name(acc_file_name), cancel_requested(std::move(cancel_flag))
{
}

void progress_loader_eobs_acc::run()
{
    auto* result = new eobs_acc_result;
    try {
        result->acc = std::make_unique<eobs_acc_loader>(acc_file_name, this);
    } catch (const std::exception& failure) {
        // An exception must not end the program from a pool thread.
        result->acc =
            std::make_unique<eobs_acc_loader>(QStringLiteral("Can't load file: %1").arg(failure.what()));
    }
    emit finished();
    emit finished_with_result(result, cancel_requested->load());
}

bool progress_loader_eobs_acc::loader_progress_cancelled()
{
    return cancel_requested->load();
}

void progress_loader_eobs_acc::loader_progress_set_value(qint32 value)
{
    emit progress(value);
}

void progress_loader_eobs_acc::loader_progress_set_text(const QString& text)
{
    qDebug() << "emit text_changed: " << text;
    emit text_changed(text);
}

void progress_loader_eobs_acc::cancel()
{
    qDebug() << "progress_loader_eobs_acc::cancel ";
    cancel_requested->store(true);
}
