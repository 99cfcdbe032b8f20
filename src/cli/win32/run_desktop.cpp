#include "cli/run_desktop.h"

#include <io.h>

#include <cstdio>
#include <utility>

#include "platform/win32/beep_thread.h"
#include "platform/win32/console_stop.h"
#include "platform/win32/win32_markers.h"
#include "platform/win32/sapi_voice.h"
#include "reaction/run_loop.h"

namespace glimtap::cli {
namespace {

// Speaks through the run's one voice, which outlives it.
class SapiSpeaker : public Speaker {
public:
    explicit SapiSpeaker(platform::SapiVoice& voice) : voice_(voice) {}
    // SAPI's failures (wine answers E_NOTIMPL) leave the speech silent, as for any speaker.
    bool Speak(std::u16string_view text) override {
        return !text.empty() && SUCCEEDED(voice_.Speak(text));
    }

private:
    platform::SapiVoice& voice_;
};

// No toolkit here: the run's own loop on the main thread, SAPI speech, Beep and the markers
// on threads of their own.
class Win32RunDesktop : public RunDesktop {
public:
    Win32RunDesktop(const SearchSettings& settings, const platform::BackendSet& backends)
        : markers_(settings.overlayOnMatch != 0
                       ? std::make_unique<platform::Win32Markers>(backends.Geometry())
                       : nullptr) {}

    bool Post(std::function<void()> work) override { return loop_.Post(std::move(work)); }
    MatchMarkers* Markers() override { return markers_.get(); }
    std::unique_ptr<Speaker> MakeSpeaker() override { return std::make_unique<SapiSpeaker>(voice_); }
    void Beep() override { beeps_.Play(); }
    // Neither SAPI nor Beep tells beforehand that nobody will hear it.
    bool Mute() override { return false; }

    void Exec(std::function<void()> stop) override {
        const platform::ConsoleStop stopOnCtrlC([this, &stop] { loop_.Post(stop); });
        loop_.Run();
    }

    void Quit(std::chrono::milliseconds after) override { loop_.Quit(after); }

private:
    RunLoop loop_;
    platform::SapiVoice voice_;
    platform::BeepThread beeps_;
    const std::unique_ptr<platform::Win32Markers> markers_;
};

}  // namespace

std::unique_ptr<RunDesktop> RunDesktop::Open(const SearchSettings& settings,
                                             platform::BackendSet& backends) {
    return std::make_unique<Win32RunDesktop>(settings, backends);
}

bool OutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

}  // namespace glimtap::cli
