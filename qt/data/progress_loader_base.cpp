#include "data/progress_loader_base.h"
#include "data/trace.h"

progress_loader_base::progress_loader_base(const char* name, std::shared_ptr<std::atomic_bool> cancel_flag)
    : name_(name), cancel_flag_(std::move(cancel_flag))
{
}

bool progress_loader_base::loader_progress_cancelled()
{
    return cancel_flag_->load();
}

void progress_loader_base::loader_progress_set_value(qint32 value)
{
    emit progress(value);
}

void progress_loader_base::loader_progress_set_text(const QString& text)
{
    trace_debug() << "emit text_changed: " << text;
    emit text_changed(text);
}

void progress_loader_base::cancel()
{
    trace_debug().nospace() << name_ << "::cancel ";
    cancel_flag_->store(true);
}
