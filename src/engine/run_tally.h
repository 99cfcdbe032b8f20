#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "engine/search_settings.h"
#include "engine/speaker.h"

namespace glimtap {

// What a search run shows and sounds while it goes, the same in the window and on the
// command line: the tries and matches counted, a beep for every try when the settings ask
// for one, and "Stopped" spoken at the end when they ask for spoken alerts.
class RunTally {
public:
    // `beep` sounds one beep; the settings are read live.
    RunTally(const SearchSettings& settings, std::function<void()> beep)
        : settings_(settings), beep_(std::move(beep)) {}

    void Restart() { tried_ = matched_ = 0; }
    void CountTry();
    void CountMatch() { ++matched_; }
    // True when the speaker started to say "Stopped".
    bool SayStopped(Speaker& speaker) const;

    int32_t Tried() const { return tried_; }
    int32_t Matched() const { return matched_; }
    // "Tried : 3, Matched : 1"
    std::string Text() const;

private:
    const SearchSettings& settings_;
    std::function<void()> beep_;
    int32_t tried_ = 0;
    int32_t matched_ = 0;
};

}  // namespace glimtap
