#include "engine/search_event_queue.h"

namespace glimtap {

void SearchEventQueue::Push(const SearchEvent& event) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }
    arrived_.notify_one();
}

std::optional<SearchEvent> SearchEventQueue::Next(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, timeout, [this] { return !events_.empty(); })) return std::nullopt;
    const SearchEvent event = events_.front();
    events_.pop_front();
    return event;
}

}  // namespace glimtap
