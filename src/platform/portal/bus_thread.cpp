#include "platform/portal/bus_thread.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/unavailable.h"

namespace glimtap::platform {
namespace {

BusHandle OpenSessionBus() {
    sd_bus* bus = nullptr;
    const int result = sd_bus_open_user(&bus);
    if (result < 0) {
        throw Unavailable(std::string("cannot reach the session bus: ") + std::strerror(-result));
    }
    return BusHandle(bus);
}

}  // namespace

BusThread::BusThread(std::function<void()> lost)
    : bus_(OpenSessionBus()),
      lost_(std::move(lost)),
      wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      thread_([this] { Loop(); }) {}

BusThread::~BusThread() {
    Post([this] { ending_ = true; });
    thread_.join();
}

void BusThread::Post(std::function<void()> task, std::chrono::milliseconds delay) {
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back({std::chrono::steady_clock::now() + delay, std::move(task)});
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_.Get(), &one, sizeof one);
}

bool BusThread::RunDue() {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(wake_.Get(), &count, sizeof count);
    for (;;) {
        std::function<void()> task;
        {
            const std::lock_guard lock(mutex_);
            const auto now = std::chrono::steady_clock::now();
            // The earliest due task first, posted order among equals.
            auto due =
                std::min_element(tasks_.begin(), tasks_.end(),
                                 [](const Timed& a, const Timed& b) { return a.due < b.due; });
            if (due == tasks_.end() || due->due > now) return !ending_;
            task = std::move(due->task);
            tasks_.erase(due);
        }
        task();
    }
}

int BusThread::PollTimeout() const {
    using namespace std::chrono;
    int64_t wait = -1;
    uint64_t busDue = 0;
    if (sd_bus_get_timeout(bus_.get(), &busDue) >= 0 && busDue != UINT64_MAX) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const uint64_t nowUs = uint64_t(now.tv_sec) * 1000000 + uint64_t(now.tv_nsec) / 1000;
        wait = busDue > nowUs ? int64_t((busDue - nowUs + 999) / 1000) : 0;
    }
    for (const Timed& task : tasks_) {
        const int64_t in = duration_cast<milliseconds>(task.due - steady_clock::now()).count() + 1;
        wait = wait < 0 ? std::max<int64_t>(in, 0) : std::clamp<int64_t>(in, 0, wait);
    }
    return static_cast<int>(std::min<int64_t>(wait, 60000));
}

void BusThread::Loop() {
    bool open = true;
    while (RunDue()) {
        if (open) {
            int result;
            while ((result = sd_bus_process(bus_.get(), nullptr)) > 0) {
            }
            if (result < 0 || sd_bus_is_open(bus_.get()) <= 0) {
                open = false;
                lost_();
                continue;
            }
        }
        pollfd fds[2] = {{wake_.Get(), POLLIN, 0}, {-1, 0, 0}};
        if (open) {
            fds[1].fd = sd_bus_get_fd(bus_.get());
            fds[1].events = static_cast<short>(sd_bus_get_events(bus_.get()));
        }
        int timeout;
        {
            const std::lock_guard lock(mutex_);
            timeout = PollTimeout();
        }
        ::poll(fds, open ? 2 : 1, timeout);
    }
}

}  // namespace glimtap::platform
