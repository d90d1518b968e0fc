// Animals of a download grouped by both chains and paired: the part before the first line "----" is
// the acceleration file, the rest the GPS file. The pairing must equal a plain search by identifier.
#include "fuzz_input_file.h"

#include "data/load/eobs_loader.h"
#include "data/model/animal_pairing.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_support::silence();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto [acc, gps] = fuzz_support::load_pair(data, size);
    if (!acc->space || !gps->space)
        return 0;
    std::vector<animal_bursts> acc_animals = acc->take_animals();
    std::vector<animal_events> gps_animals = gps->take_animals();
    // The expected pairing, by a linear search: each animal's burst and fix counts.
    std::vector<std::pair<QString, std::pair<qint32, std::size_t>>> expected;
    for (const animal_bursts& a : acc_animals)
        expected.push_back({a.id, {a.space->entry_count(), 0}});
    for (const animal_events& f : gps_animals) {
        const auto same = std::find_if(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(acc_animals.size()),
                                       [&](const auto& e) { return e.first == f.id; });
        if (acc_animals.size() == 1 && gps_animals.size() == 1)
            expected.front().second.second = f.space->events().size();
        else if (same != expected.begin() + static_cast<std::ptrdiff_t>(acc_animals.size()))
            same->second.second = f.space->events().size();
        else if (!f.space->events().empty())
            expected.push_back({f.id, {0, f.space->events().size()}});
    }
    animal_pairing pairing(std::move(acc_animals), std::move(gps_animals));
    if (pairing.animals().size() != expected.size())
        std::abort();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const animal_pairing::animal& a = pairing.animals()[i];
        if (a.id != expected[i].first || (a.bursts ? a.bursts->entry_count() : 0) != expected[i].second.first ||
            static_cast<std::size_t>(a.fix_count()) != expected[i].second.second)
            std::abort();
        (void)a.time_range();
    }
    return 0;
}
