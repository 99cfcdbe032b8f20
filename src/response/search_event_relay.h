#pragma once

#include <memory>

#include "engine/search_events.h"

namespace glimtap {

// Carries a run's reports from the worker thread to a receiver on the thread of the
// QCoreApplication, in order, as queued calls: the worker never waits. After Detach, or
// once the receiver is gone, reports still under way are dropped, never delivered to a
// dead object.
class SearchEventRelay : public SearchEventSink {
public:
    // `receiver` is used on the application's thread only.
    explicit SearchEventRelay(SearchEventSink& receiver);

    // Application thread: nothing reaches the receiver any more.
    void Detach();

    void OnTemplatesLoaded(int32_t count) override;
    void OnSearchAttempt(const std::string& templateName) override;
    void OnMatchFound(const MatchReport& match) override;
    void OnShowOverlay(const MatchReport& match) override;
    void OnClosestMiss(const std::string& templateName, const std::optional<ClosestMiss>& miss) override;
    void OnSearchFinished() override;

private:
    struct Target {
        SearchEventSink* receiver;
    };
    template <typename Deliver>
    void Post(Deliver deliver);

    std::shared_ptr<Target> target_;
};

}  // namespace glimtap
