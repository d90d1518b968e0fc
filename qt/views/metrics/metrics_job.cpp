#include "views/metrics/metrics_job.h"

#include "data/model/burst_space.h"

#include <QThread>

metrics_job::metrics_job(const burst_space& space, const applied_calibration& calibration,
                         const static_window& window, QObject* parent)
    : QObject(parent), space_(space), calibration_(calibration), window_(window)
{
}

metrics_job::~metrics_job()
{
    if (thread_) {
        progress_.cancel = true;
        thread_->wait();
        delete thread_;
    }
}

void metrics_job::start()
{
    if (thread_)
        return;
    thread_ = QThread::create(
        [this] { result_ = burst_metrics::of_all(space_, calibration_.value, window_, 0, &progress_); });
    connect(thread_, &QThread::finished, this, [this] {
        complete_ = !progress_.cancel;
        emit finished();
    });
    thread_->start();
}
