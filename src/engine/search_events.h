#pragma once

#include <cstdint>

#include "engine/match_point.h"

namespace glimtap {

// A match as the worker reports it: the template's size and its top-left screen corner.
// The matched pixels run from (x, y) to (x + width - 1, y + height - 1).
struct MatchReport {
    int32_t width = 0;
    int32_t height = 0;
    MatchPoint location;
    friend bool operator==(const MatchReport&, const MatchReport&) = default;
};

// Receives a search run's reports, in the order the worker makes them. Called on the
// worker's thread: an implementation hands each report on and returns at once.
class SearchEventSink {
public:
    virtual ~SearchEventSink() = default;
    virtual void OnSearchAttempt() = 0;
    virtual void OnMatchFound(const MatchReport& match) = 0;
    virtual void OnShowOverlay(const MatchReport& match) = 0;
    // The last report of every run.
    virtual void OnSearchFinished() = 0;
};

}  // namespace glimtap
