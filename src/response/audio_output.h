#pragma once

namespace glimtap {

// Said once, by the window and by glimtap-cli, when beeps or spoken alerts are on and
// nobody can hear them.
inline constexpr const char* kNoAudioOutputText =
    "no audio output, so beeps and spoken alerts are off";

// True when the system offers no audio output to play on. Needs a QCoreApplication.
bool NoAudioOutput();

}  // namespace glimtap
