#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace glimtap {

// A main thread's loop without a toolkit: work posted from any thread runs on the thread in
// Run, in the order it was posted, until the loop is told to quit.
class RunLoop {
public:
    // Any thread; never waits for the work. False once the loop has ended.
    bool Post(std::function<void()> work);
    // Runs posted work until the time Quit set has come; then drops what is left.
    void Run();
    // Any thread: the loop ends `after` from now, running what comes until then.
    void Quit(std::chrono::milliseconds after);

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    std::optional<std::chrono::steady_clock::time_point> end_;
    bool ended_ = false;
};

}  // namespace glimtap
