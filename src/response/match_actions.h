#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/search_events.h"
#include "engine/search_settings.h"
#include "platform/geometry.h"
#include "platform/launcher.h"
#include "platform/pointer.h"
#include "platform/touch_injector.h"

namespace glimtap {

// What the user asked to happen when a template is found: move the cursor into the
// match, tap there, run the command. Used from one thread at a time.
class MatchActions {
public:
    using Sleep = std::function<void(std::chrono::milliseconds)>;

    // `sleep` pauses between the parts of a tap.
    MatchActions(platform::Pointer& pointer, platform::TouchInjector& touch,
                 platform::Launcher& launcher, Sleep sleep = DefaultSleep);

    // Reads the settings afresh on each call, so changes made during a search count.
    // Blocks for the length of a tap (about 215 ms) when taps are on. Returns the point
    // picked for the cursor and the tap; nullopt when both are off and none was picked.
    std::optional<platform::Point> OnMatchFound(const MatchReport& match,
                                                const SearchSettings& settings);

    // The Test button: runs the command as typed, ticked or not.
    bool RunTestCommand(std::u16string_view verb, std::u16string_view file, std::string* error);

private:
    static void DefaultSleep(std::chrono::milliseconds duration);

    void Tap(platform::Point at);

    platform::Pointer& pointer_;
    platform::TouchInjector& touch_;
    platform::Launcher& launcher_;
    Sleep sleep_;
};

}  // namespace glimtap
