#include "data/load/load_job.h"

#include "data/load/eobs_loader.h"
#include "data/model/animal_pairing.h"
#include "data/io/trace.h"

#include <QFileInfo>

#include <algorithm>

load_result::load_result() = default;
load_result::~load_result() = default;

namespace {

std::atomic_bool stopping{false};

} // namespace

load_job::load_job(load_plan plan, std::shared_ptr<std::atomic_bool> cancel_flag)
    : plan(std::move(plan)), cancel_flag_(std::move(cancel_flag))
{
    if (this->plan.pair())
        trace::err(name_of(this->plan));
}

load_job::~load_job()
{
    if (plan.pair())
        trace::err("~", name_of(plan));
}

const char* load_job::name_of(const load_plan& plan)
{
    return plan.pair()               ? "progress_loader_eobs_acc_gps"
           : plan.acc_file.isEmpty() ? "progress_loader_eobs_gps"
                                     : "progress_loader_eobs_acc";
}

std::unique_ptr<load_result> load_job::read_plan(const load_plan& plan, loader_progress* progress)
{
    auto result = std::make_unique<load_result>();
    if (!plan.gps_file.isEmpty())
        result->gps = eobs_gps_loader::guarded(plan.gps_file, progress);
    result->gps_skipped_lines = result->gps ? result->gps->skipped_lines : 0;
    if (!plan.acc_file.isEmpty())
        result->acc = eobs_acc_loader::guarded(plan.acc_file, progress);
    result->acc_skipped_lines = result->acc ? result->acc->skipped_lines : 0;
    if (plan.pair() && result->gps->status == ELS_SUCCESS && result->gps->space &&
        result->acc->status == ELS_SUCCESS && result->acc->space)
        result->animals =
            std::make_unique<animal_pairing>(result->acc->take_animals(), result->gps->take_animals());
    return result;
}

void load_job::run()
{
    load_result* result = read_plan(plan, this).release();
    emit finished();
    emit finished_with_result(result, cancel_flag_->load());
}

void load_job::stop_all()
{
    stopping.store(true);
}

bool load_job::loader_progress_cancelled()
{
    return cancel_flag_->load() || stopping.load();
}

void load_job::loader_progress_set_value(qint32 value)
{
    emit progress(value);
}

void load_job::loader_progress_set_text(const QString& text)
{
    trace_debug() << "emit text_changed: " << text;
    emit text_changed(file_name_.isEmpty() ? text : text + "\n" + QFileInfo(file_name_).fileName());
}

void load_job::loader_progress_set_file(const QString& file_name)
{
    file_name_ = file_name;
    last_percent_ = -1;
    since_percent_.invalidate();
}

void load_job::loader_progress_bytes(qint64 read, qint64 size)
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

void load_job::cancel()
{
    trace_debug().nospace() << name_of(plan) << "::cancel ";
    cancel_flag_->store(true);
}
