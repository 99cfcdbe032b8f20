#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "engine/search_events.h"

namespace glimtap {

struct SearchEvent {
    enum class Kind { Attempt, Match, Overlay, Finished };
    Kind kind = Kind::Attempt;
    MatchReport match;  // for Match and Overlay
    friend bool operator==(const SearchEvent&, const SearchEvent&) = default;
};

// Hands a run's reports to another thread in order; the worker never waits on the reader.
class SearchEventQueue : public SearchEventSink {
public:
    void OnSearchAttempt() override { Push({SearchEvent::Kind::Attempt, {}}); }
    void OnMatchFound(const MatchReport& match) override { Push({SearchEvent::Kind::Match, match}); }
    void OnShowOverlay(const MatchReport& match) override { Push({SearchEvent::Kind::Overlay, match}); }
    void OnSearchFinished() override { Push({SearchEvent::Kind::Finished, {}}); }

    // The oldest report, waiting up to `timeout` for one.
    std::optional<SearchEvent> Next(std::chrono::milliseconds timeout);

private:
    void Push(const SearchEvent& event);

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<SearchEvent> events_;
};

}  // namespace glimtap
