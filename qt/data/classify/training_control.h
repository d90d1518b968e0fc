#pragma once

#include <atomic>
#include <functional>

// What a long training run reports and obeys: progress after each boosting round (rounds done of
// the whole run), and a flag that another thread sets to stop it between rounds.
struct training_control
{
    std::function<void(int done, int total)> progress;
    const std::atomic_bool* cancel = nullptr;

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};
