#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "engine/search_events.h"
#include "engine/search_settings.h"
#include "platform/geometry.h"
#include "platform/launcher.h"
#include "platform/pointer.h"
#include "platform/touch_injector.h"
#include "reaction/match_markers.h"

namespace glimtap {

// What happens on a match, for the window and for glimtap-cli alike: the cursor moves into
// the match, a tap lands there, the command runs, a marker goes up, as the settings ask.
// OnMatchFound is called from one thread at a time, which may be another than the application
// thread that calls OnShowOverlay meanwhile: the two share nothing but what the constructor
// was given.
class MatchResponder {
public:
    using Sleep = std::function<void(std::chrono::milliseconds)>;

    // A null pointer or touch injector is one the desktop does not offer: its action is
    // skipped. Null `markers`: marker requests are let go. `sleep` pauses between the parts
    // of a tap.
    MatchResponder(platform::Pointer* pointer, platform::TouchInjector* touch,
                   platform::Launcher& launcher, MatchMarkers* markers,
                   Sleep sleep = DefaultSleep);

    // Reads the settings afresh on each call, so changes made during a search count.
    // Blocks for the length of a tap (about 215 ms) when taps are on. Returns the point
    // picked for the cursor and the tap; nullopt when both are off and none was picked.
    std::optional<platform::Point> OnMatchFound(const MatchReport& match,
                                                const SearchSettings& settings);

    // The worker asks for a marker only when the settings want one.
    void OnShowOverlay(const MatchReport& match);

private:
    static void DefaultSleep(std::chrono::milliseconds duration);

    void Tap(platform::Point at);

    platform::Pointer* pointer_;
    platform::TouchInjector* touch_;
    platform::Launcher& launcher_;
    MatchMarkers* markers_;
    Sleep sleep_;
};

}  // namespace glimtap
