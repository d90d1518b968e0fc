// The whole chain on fuzzed bytes: the part before the first line "----" is the acceleration file,
// the rest the GPS file; both loader chains, the burst space and its extremes, the association of
// fixes with bursts, and the activity calculation when its span is drawable.
#include "fuzz_input_file.h"

#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/model/event_space.h"
#include "data/model/events_by_bursts.h"
#include "data/model/activity_calculator.h"

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_support::silence();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto [acc, gps] = fuzz_support::load_pair(data, size);
    if (!acc->space)
        return 0;
    const burst_space& bursts = *acc->space;
    for (const burst_entry& e : bursts.entries())
        (void)e.extremes();
    (void)bursts.burst_index_for_timestamp(bursts.begin_timestamp());
    (void)bursts.burst_index_for_sample(bursts.total_sample_count() / 2);
    if (gps->space) {
        const events_by_bursts association(*gps->space, bursts);
        (void)association.event_count_range(0, bursts.entry_count() - 1);
    }
    if (activity_plot_refusal(bursts).isEmpty()) {
        const activity_calculator calc(bursts);
        (void)calc.max_activity;
    }
    return 0;
}
