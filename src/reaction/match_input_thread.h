#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "engine/search_events.h"
#include "engine/search_settings.h"
#include "reaction/match_responder.h"

namespace glimtap {

// Answers matches on a thread of its own, so that a tap's hold or a slow desktop never
// stalls the window. A match that arrives while another is being answered waits in a
// single slot, and a newer one takes its place: the cursor and the taps follow the newest
// match instead of falling ever further behind a search that finds faster than it can tap.
class MatchInputThread {
public:
    // `responder`'s input actions are used from this thread alone from now on.
    explicit MatchInputThread(MatchResponder& responder);
    // Lets the answer under way finish and drops a waiting one.
    ~MatchInputThread();
    MatchInputThread(const MatchInputThread&) = delete;
    MatchInputThread& operator=(const MatchInputThread&) = delete;

    // Never waits for an answer. The settings are taken as they are now.
    void Post(const MatchReport& match, const SearchSettings& settings);

private:
    void Run();

    MatchResponder& responder_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::pair<MatchReport, SearchSettings>> waiting_;
    bool stopping_ = false;
    // Last: it starts once everything above is ready.
    std::thread thread_;
};

}  // namespace glimtap
