#pragma once

#include "data/model/burst.h"

#include <QtGlobal>

#include <memory>
#include <vector>

// Joins the samples of one animal written one per row into bursts: consecutive samples stay in one
// burst while their spacing stays regular; a gap of more than 1.5 sampling intervals or more than
// 1 s (or a step back in time) starts a new burst. A burst's frequency is its mean sample rate
// (1 Hz for a lone sample).
class burst_assembler
{
public:
    // Adds the sample at time t (ms since the epoch); returns the burst it ends, if it starts a new one.
    std::unique_ptr<burst> add(qint64 t, float x, float y, float z);
    // The open burst, if any; the assembler is empty afterwards.
    std::unique_ptr<burst> finish();

private:
    qint64 start_ = 0;
    qint64 last_ = 0;
    qint64 interval_ = 0; // spacing of the first two samples; 0 with fewer
    std::vector<float> x_, y_, z_;
};
