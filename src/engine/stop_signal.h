#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace glimtap {

// The stop request shared by a search run and whoever controls it. A request also
// wakes a run that is pausing between passes, so stopping never waits out the pause.
class StopSignal {
public:
    void Request();
    bool Requested() const { return requested_.load(); }
    // Sleeps until `deadline` or a request, whichever comes first; true when requested.
    bool SleepUntil(std::chrono::steady_clock::time_point deadline);

private:
    std::atomic<bool> requested_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};

}  // namespace glimtap
