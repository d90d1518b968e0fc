#include "data/model/burst_assembler.h"

namespace {

constexpr qint64 longest_gap_ms = 1000;

} // namespace

std::unique_ptr<burst> burst_assembler::add(qint64 t, float x, float y, float z)
{
    std::unique_ptr<burst> ended;
    if (!x_.empty()) {
        const qint64 gap = t - last_;
        const bool continues =
            gap > 0 && gap <= longest_gap_ms && (interval_ == 0 || 2 * gap <= 3 * interval_);
        if (!continues)
            ended = finish();
        else if (interval_ == 0)
            interval_ = gap;
    }
    if (x_.empty())
        start_ = t;
    last_ = t;
    x_.push_back(x);
    y_.push_back(y);
    z_.push_back(z);
    return ended;
}

std::unique_ptr<burst> burst_assembler::finish()
{
    if (x_.empty())
        return nullptr;
    const auto count = static_cast<qint32>(x_.size());
    const double frequency = count > 1 ? (count - 1) * 1000.0 / static_cast<double>(last_ - start_) : 1.0;
    auto done =
        burst::make(start_, frequency, count, x_, y_, z_);
    x_.clear();
    y_.clear();
    z_.clear();
    interval_ = 0;
    return done;
}
