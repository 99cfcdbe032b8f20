#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "engine/search_events.h"

namespace glimtap {

struct SearchEvent {
    enum class Kind { Loaded, Attempt, Match, Overlay, Finished };
    Kind kind = Kind::Attempt;
    MatchReport match;  // the template's name for Attempt, everything for Match and Overlay
    int32_t count = 0;  // for Loaded
    friend bool operator==(const SearchEvent&, const SearchEvent&) = default;
};

// Hands a run's reports to another thread in order; the worker never waits on the reader.
class SearchEventQueue : public SearchEventSink {
public:
    void OnTemplatesLoaded(int32_t count) override { Push({SearchEvent::Kind::Loaded, {}, count}); }
    void OnSearchAttempt(const std::string& name) override {
        Push({SearchEvent::Kind::Attempt, {name, 0, 0, {}}});
    }
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
