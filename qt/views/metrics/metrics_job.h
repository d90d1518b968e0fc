#pragma once

#include "data/metrics/applied_calibration.h"
#include "data/metrics/burst_metrics.h"
#include "data/metrics/static_window.h"

#include <QObject>

#include <vector>

class QThread;
class burst_space;

// The figures of every burst of a data set, computed on a worker thread; finished follows on the
// thread that started it. Deleting the job cancels it and waits for the worker.
class metrics_job : public QObject
{
    Q_OBJECT

public:
    // space is not owned and must outlive the job.
    metrics_job(const burst_space& space, const applied_calibration& calibration, const static_window& window,
                QObject* parent = nullptr);
    ~metrics_job() override;

    void start();
    void cancel() { progress_.cancel = true; }
    qint32 done() const { return progress_.done; }
    // True once finished without being cancelled: result() holds every burst.
    bool complete() const { return complete_; }
    const std::vector<burst_metrics>& result() const { return result_; }
    const applied_calibration& calibration() const { return calibration_; }
    const static_window& window() const { return window_; }

signals:
    void finished();

private:
    const burst_space& space_;
    applied_calibration calibration_;
    static_window window_;
    burst_metrics::progress progress_;
    std::vector<burst_metrics> result_;
    QThread* thread_ = nullptr;
    bool complete_ = false;
};
