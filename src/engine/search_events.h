#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/find_closest.h"
#include "engine/match_point.h"

namespace glimtap {

// A match as the worker reports it: the template's file name and size and its top-left
// screen corner. The matched pixels run from (x, y) to (x + width - 1, y + height - 1).
struct MatchReport {
    std::string templateName;
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
    // Once, after the folder was read: how many templates the run searches for.
    virtual void OnTemplatesLoaded(int32_t count) = 0;
    // Right after it, once for each file of the folder that cannot be searched for, in the
    // folder's order: its name and why.
    virtual void OnTemplateSkipped(const std::string& /*templateName*/, const std::string& /*reason*/) {}
    // Before each template's capture.
    virtual void OnSearchAttempt(const std::string& templateName) = 0;
    virtual void OnMatchFound(const MatchReport& match) = 0;
    virtual void OnShowOverlay(const MatchReport& match) = 0;
    // After a try that found nothing, when the run was asked for closest misses: where the
    // template came closest, or nullopt when nothing could be compared.
    virtual void OnClosestMiss(const std::string& /*templateName*/, const std::optional<ClosestMiss>& /*miss*/) {}
    // The last report of every run.
    virtual void OnSearchFinished() = 0;
};

}  // namespace glimtap
