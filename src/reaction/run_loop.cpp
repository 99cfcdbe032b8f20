#include "reaction/run_loop.h"

#include <utility>

namespace glimtap {

bool RunLoop::Post(std::function<void()> work) {
    {
        const std::lock_guard lock(mutex_);
        if (ended_) return false;
        queue_.push_back(std::move(work));
    }
    wake_.notify_one();
    return true;
}

void RunLoop::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!queue_.empty()) {
            std::function<void()> work = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            work();
            lock.lock();
        } else if (!end_) {
            wake_.wait(lock);
        } else if (wake_.wait_until(lock, *end_) == std::cv_status::timeout && queue_.empty()) {
            break;
        }
    }
    ended_ = true;
    queue_.clear();
}

void RunLoop::Quit(std::chrono::milliseconds after) {
    {
        const std::lock_guard lock(mutex_);
        end_ = std::chrono::steady_clock::now() + after;
    }
    wake_.notify_one();
}

}  // namespace glimtap
