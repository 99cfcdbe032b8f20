#include "engine/stop_signal.h"

#include <algorithm>

namespace glimtap {

void StopSignal::Request() {
    {
        // Under the lock, so a sleeper between its check and its wait cannot miss the wake.
        std::lock_guard lock(mutex_);
        requested_ = true;
    }
    wake_.notify_all();
}

bool StopSignal::SleepUntil(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    constexpr milliseconds kLongestSleep = hours(24);
    std::unique_lock lock(mutex_);
    while (!requested_.load()) {
        const auto now = steady_clock::now();
        if (now >= deadline) return false;
        const auto remaining = std::min(ceil<milliseconds>(deadline - now), kLongestSleep);
        wake_.wait_for(lock, remaining);
    }
    return true;
}

}  // namespace glimtap
