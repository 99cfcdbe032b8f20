#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "engine/search_settings.h"
#include "engine/speaker.h"
#include "platform/backend_set.h"
#include "reaction/match_markers.h"

namespace glimtap::cli {

// What a run needs of its system beside the backends: the main thread's loop that the run's
// reports are handed to, the markers, the speech and the beep, the stop on Ctrl+C. One source
// file per system: Qt's loop and alerts on Linux, a loop of the run's own with SAPI speech and
// Beep on Windows. Made, run and ended on the main thread.
class RunDesktop {
public:
    // Markers are made only when `settings` ask for them.
    static std::unique_ptr<RunDesktop> Open(const SearchSettings& settings,
                                            platform::BackendSet& backends);
    virtual ~RunDesktop() = default;

    // Any thread: queues `work` for the main thread's loop. False when nothing will run it.
    virtual bool Post(std::function<void()> work) = 0;
    // Null when the settings want none or this desktop cannot show them. Called on the main
    // thread only.
    virtual MatchMarkers* Markers() = 0;
    // A speaker for any thread; its texts are heard while this lives.
    virtual std::unique_ptr<Speaker> MakeSpeaker() = 0;
    // Any thread: the search beep, without waiting for it.
    virtual void Beep() = 0;
    // True when it is known that nothing will be heard.
    virtual bool Mute() = 0;
    // Runs the posted work until Quit; `stop` runs on the main thread when the user interrupts
    // the program (Ctrl+C, or on POSIX SIGTERM and a reader gone away).
    virtual void Exec(std::function<void()> stop) = 0;
    // Main thread: Exec returns `after` from now.
    virtual void Quit(std::chrono::milliseconds after) = 0;
};

// True when the standard output shows on a terminal, where a live status line can be redrawn.
bool OutputIsTerminal();

}  // namespace glimtap::cli
