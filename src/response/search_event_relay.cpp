#include "response/search_event_relay.h"

#include "response/application_thread.h"

namespace glimtap {

SearchEventRelay::SearchEventRelay(SearchEventSink& receiver)
    : target_(std::make_shared<Target>(Target{&receiver})) {}

void SearchEventRelay::Detach() { target_->receiver = nullptr; }

template <typename Deliver>
void SearchEventRelay::Post(Deliver deliver) {
    // The receiver is looked up only when the call runs on its own thread.
    PostToApplication([target = target_, deliver = std::move(deliver)] {
        if (target->receiver != nullptr) deliver(*target->receiver);
    });
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

void SearchEventRelay::OnClosestMiss(const std::string& templateName,
                                     const std::optional<ClosestMiss>& miss) {
    Post([templateName, miss](SearchEventSink& r) { r.OnClosestMiss(templateName, miss); });
}

void SearchEventRelay::OnSearchFinished() {
    Post([](SearchEventSink& r) { r.OnSearchFinished(); });
}

}  // namespace glimtap
