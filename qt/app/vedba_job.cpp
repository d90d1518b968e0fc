#include "app/vedba_job.h"

#include "app/app_state.h"
#include "data/metrics/burst_metrics.h"
#include "data/metrics/static_window_setting.h"
#include "data/model/burst_space.h"
#include "data/tracks/fix_values.h"
#include "map/event_space_layer.h"
#include "map/layer_ref.h"

#include <QElapsedTimer>

vedba_job::vedba_job(app_state* state, qint32 gang_id, const applied_calibration& calibration,
                     QObject* parent)
    : QObject(parent), state_(state), gang_id_(gang_id), calibration_(calibration),
      window_(static_window_setting::instance().window())
{
    connect(&static_window_setting::instance(), &static_window_setting::changed, this, [this] {
        window_ = static_window_setting::instance().window();
        vedba_.clear();
    });
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &vedba_job::slice);
    timer_.start();
}

void vedba_job::slice()
{
    const auto found = state_->data_sets.find(gang_id_);
    if (found == state_->data_sets.end() || !found->second.bursts || !found->second.fixes ||
        !found->second.track) {
        timer_.stop();
        emit finished(false);
        deleteLater();
        return;
    }
    const opened_data_set& set = found->second;
    const burst_space& space = *set.bursts;
    // About 30 ms of work per slice keeps the window answering.
    QElapsedTimer clock;
    clock.start();
    while (vedba_.size() < std::size_t(space.entry_count()) && clock.elapsed() < 30)
        vedba_.push_back(
            burst_metrics::of(*space.entry(qint32(vedba_.size())).burst, calibration_.value, window_)
                .vedba);
    if (vedba_.size() < std::size_t(space.entry_count())) {
        emit progressed(int(100 * vedba_.size() / std::size_t(space.entry_count())));
        return;
    }
    timer_.stop();
    auto* track = static_cast<event_space_layer*>(set.track->get());
    track->set_burst_values(fix_values::nearest_in_time(*set.fixes, space.timestamps(), vedba_),
                            calibration_.units());
    emit finished(true);
    deleteLater();
}
