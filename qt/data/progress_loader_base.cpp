#include "data/progress_loader_base.h"

#include <QDebug>

progress_loader_base::progress_loader_base(const char* name, std::shared_ptr<std::atomic_bool> cancel_flag)
    : name_(name), cancel_flag_(std::move(cancel_flag))
{
}

namespace {

std::atomic_bool stopping{false};

} // namespace

void progress_loader_base::stop_all()
{
    stopping.store(true);
}

bool progress_loader_base::loader_progress_cancelled()
{
    return cancel_flag_->load() || stopping.load();
}

void progress_loader_base::loader_progress_set_value(qint32 value)
{
    emit progress(value);
}

void progress_loader_base::loader_progress_set_text(const QString& text)
{
    qDebug() << "emit text_changed: " << text;
    emit text_changed(text);
}

void progress_loader_base::cancel()
{
    qDebug().nospace() << name_ << "::cancel ";
    cancel_flag_->store(true);
}
