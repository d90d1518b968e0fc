#pragma once

#include "data/metrics/applied_calibration.h"
#include "data/metrics/static_window.h"

#include <QObject>
#include <QTimer>

#include <vector>

class app_state;

// The VeDBA of every burst of one data set, for colouring its track by the burst nearest each fix:
// worked off in slices on the GUI thread between events, so the window stays responsive and a data
// set closed meanwhile simply ends the job (nothing of it is held across slices).
class vedba_job : public QObject
{
    Q_OBJECT

public:
    // Starts at once; calibration as the burst table applies it, the static window in force (the job
    // starts over when that changes).
    vedba_job(app_state* state, qint32 gang_id, const applied_calibration& calibration, QObject* parent);

signals:
    // Every few slices: the share done, 0 ... 100.
    void progressed(int percent);
    // The data set's track has its values (or the set was closed: done false); the job deletes itself.
    void finished(bool done);

private:
    void slice();

    app_state* state_;
    qint32 gang_id_;
    applied_calibration calibration_;
    static_window window_;
    std::vector<double> vedba_; // per burst, in time order
    QTimer timer_;
};
