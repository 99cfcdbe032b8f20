#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/search_events.h"

namespace glimtap {

// Queues work for the thread the receiver lives on, in the order posted, without waiting for
// it; false when nothing will run it. The window posts to Qt's loop, glimtap-cli to its own.
using PostWork = std::function<bool(std::function<void()>)>;

// Carries a run's reports from the worker thread to a receiver on the application's thread,
// the one `post` hands work to, in order, as queued calls. At most `kMostWaiting` reports wait to be
// handed over: a worker that would add one more waits for the receiver to catch up, so a
// run without pauses can never bury the application's thread. After Detach, reports still
// under way are dropped: the receiver's owner detaches before the receiver goes.
class SearchEventRelay : public SearchEventSink {
public:
    static constexpr int32_t kMostWaiting = 32;

    // `receiver` is used on the application's thread only.
    SearchEventRelay(SearchEventSink& receiver, PostWork post);

    // Application thread, before it waits for the worker: the worker no longer waits for
    // room, so it can end; its reports still arrive.
    void StopHolding();
    // Application thread: nothing reaches the receiver any more, and the worker never waits.
    void Detach();

    void OnTemplatesLoaded(int32_t count) override;
    void OnSearchAttempt(const std::string& templateName) override;
    void OnMatchFound(const MatchReport& match) override;
    void OnShowOverlay(const MatchReport& match) override;
    void OnTemplateSkipped(const std::string& templateName, const std::string& reason) override;
    void OnClosestMiss(const std::string& templateName, const std::optional<ClosestMiss>& miss) override;
    void OnSearchFinished() override;

private:
    // Shared with the calls under way, which may outlive the relay.
    struct Target {
        SearchEventSink* receiver;  // application thread only
        std::mutex mutex;
        std::condition_variable room;
        int32_t waiting = 0;
        bool holding = true;
    };
    template <typename Deliver>
    void Post(Deliver deliver);

    PostWork post_;
    std::shared_ptr<Target> target_;
};

}  // namespace glimtap
