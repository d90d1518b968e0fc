#include "data/load/progress_loader_base.h"
#include "data/io/trace.h"

#include <QFileInfo>

#include <algorithm>

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
    trace_debug() << "emit text_changed: " << text;
    emit text_changed(file_name_.isEmpty() ? text : text + "\n" + QFileInfo(file_name_).fileName());
}

void progress_loader_base::loader_progress_set_file(const QString& file_name)
{
    file_name_ = file_name;
    last_percent_ = -1;
    since_percent_.invalidate();
}

void progress_loader_base::loader_progress_bytes(qint64 read, qint64 size)
{
    if (size <= 0)
        return;
    const int percent = static_cast<int>(std::min<qint64>(100, read * 100 / size));
    if (percent <= last_percent_)
        return;
    if (percent < 100 && since_percent_.isValid() && since_percent_.elapsed() < min_percent_interval_ms)
        return;
    since_percent_.start();
    last_percent_ = percent;
    emit percent_read(percent);
}

void progress_loader_base::cancel()
{
    trace_debug().nospace() << name_ << "::cancel ";
    cancel_flag_->store(true);
}
