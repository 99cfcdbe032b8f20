#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace glimtap::platform {

// Sounds the search beep (2500 Hz for 50 ms, through Beep, which holds its caller for as
// long) on a thread of its own. Up to `kMostWaiting` beeps wait their turn; more would only
// be heard as the same tone and are skipped. Silent where the system has no beep.
class BeepThread {
public:
    static constexpr int kMostWaiting = 4;

    BeepThread();
    // Lets the beep under way finish and drops the waiting ones.
    ~BeepThread();
    BeepThread(const BeepThread&) = delete;
    BeepThread& operator=(const BeepThread&) = delete;

    // Any thread; never waits for the beep.
    void Play();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    int waiting_ = 0;
    bool stopping_ = false;
    // Last: it starts once everything above is ready.
    std::thread thread_;
};

}  // namespace glimtap::platform
