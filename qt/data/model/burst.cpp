#include "data/model/burst.h"

#include "data/io/fatal.h"

#include <utility>

burst::burst(qint64 start_timestamp_, double sampling_frequency_per_axis_, qint32 sample_count_,
             std::vector<float> x_, std::vector<float> y_, std::vector<float> z_)
    : start_timestamp(start_timestamp_), sampling_frequency_per_axis(sampling_frequency_per_axis_),
      sample_count(sample_count_), x(std::move(x_)), y(std::move(y_)), z(std::move(z_))
{
    const auto n = static_cast<std::size_t>(sample_count < 0 ? 0 : sample_count);
    if (sample_count < 0 || x.size() != n || y.size() != n || z.size() != n)
        fatal("burst: each axis must hold sample_count values");
}
