#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/portal/sd_bus_handles.h"
#include "platform/unique_fd.h"

namespace glimtap::platform {

// One connection to the session bus, driven by a thread of its own: sd-bus serves one thread
// only, so every use of the connection is a task run there. Tasks and the handlers they
// install run on that thread, one at a time.
class BusThread {
public:
    // Opens the session bus of $DBUS_SESSION_BUS_ADDRESS; throws Unavailable when none answers.
    // `lost` runs on the thread once, when the connection breaks.
    explicit BusThread(std::function<void()> lost);
    // Runs the tasks posted so far, then ends the thread and closes the connection.
    ~BusThread();
    BusThread(const BusThread&) = delete;
    BusThread& operator=(const BusThread&) = delete;

    // The connection; on the thread only.
    sd_bus* Bus() const { return bus_.get(); }
    // Runs `task` on the thread after `delay`; returns at once.
    void Post(std::function<void()> task,
              std::chrono::milliseconds delay = std::chrono::milliseconds{0});
    // Runs `task` on the thread and returns what it returned; any thread but this one.
    template <typename Result>
    Result Run(const std::function<Result()>& task) {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        Result result{};
        Post([&] {
            result = task();
            const std::lock_guard lock(mutex);
            finished = true;
            done.notify_one();
        });
        std::unique_lock lock(mutex);
        done.wait(lock, [&] { return finished; });
        return result;
    }

private:
    struct Timed {
        std::chrono::steady_clock::time_point due;
        std::function<void()> task;
    };
    void Loop();
    // Runs the tasks that are due; false once the thread is to end.
    bool RunDue();
    // How long poll may sleep: until the next task or the bus's own timeout.
    int PollTimeout() const;

    BusHandle bus_;
    std::function<void()> lost_;
    UniqueFd wake_;  // an eventfd that cuts poll short when a task is posted
    std::mutex mutex_;
    std::vector<Timed> tasks_;
    bool ending_ = false;
    std::thread thread_;  // last: it starts once the rest is ready
};

}  // namespace glimtap::platform
