#include "reaction/search_event_relay.h"

#include <utility>

namespace glimtap {

SearchEventRelay::SearchEventRelay(SearchEventSink& receiver, PostWork post)
    : post_(std::move(post)), target_(std::make_shared<Target>()) {
    target_->receiver = &receiver;
}

void SearchEventRelay::StopHolding() {
    {
        std::lock_guard lock(target_->mutex);
        target_->holding = false;
    }
    target_->room.notify_all();
}

void SearchEventRelay::Detach() {
    target_->receiver = nullptr;
    StopHolding();
}

template <typename Deliver>
void SearchEventRelay::Post(Deliver deliver) {
    {
        std::unique_lock lock(target_->mutex);
        target_->room.wait(lock, [this] {
            return !target_->holding || target_->waiting < kMostWaiting;
        });
        ++target_->waiting;
    }
    // The receiver is looked up only when the call runs on its own thread.
    const bool posted = post_([target = target_, deliver = std::move(deliver)] {
        {
            std::lock_guard lock(target->mutex);
            --target->waiting;
        }
        target->room.notify_one();
        if (target->receiver != nullptr) deliver(*target->receiver);
    });
    if (!posted) {
        std::lock_guard lock(target_->mutex);
        --target_->waiting;
    }
}

void SearchEventRelay::OnTemplatesLoaded(int32_t count) {
    Post([count](SearchEventSink& r) { r.OnTemplatesLoaded(count); });
}

void SearchEventRelay::OnSearchAttempt(const std::string& templateName) {
    Post([templateName](SearchEventSink& r) { r.OnSearchAttempt(templateName); });
}

void SearchEventRelay::OnMatchFound(const MatchReport& match) {
    Post([match](SearchEventSink& r) { r.OnMatchFound(match); });
}

void SearchEventRelay::OnShowOverlay(const MatchReport& match) {
    Post([match](SearchEventSink& r) { r.OnShowOverlay(match); });
}

void SearchEventRelay::OnTemplateSkipped(const std::string& templateName, const std::string& reason) {
    Post([templateName, reason](SearchEventSink& r) { r.OnTemplateSkipped(templateName, reason); });
}

void SearchEventRelay::OnClosestMiss(const std::string& templateName,
                                     const std::optional<ClosestMiss>& miss) {
    Post([templateName, miss](SearchEventSink& r) { r.OnClosestMiss(templateName, miss); });
}

void SearchEventRelay::OnSearchFinished() {
    Post([](SearchEventSink& r) { r.OnSearchFinished(); });
}

}  // namespace glimtap
