#pragma once

namespace glimtap {

// Sounds the search beep (2500 Hz for 50 ms) on the default audio output. Returns at once and
// may be called from any thread; every call plays a tone of its own, so beeps may overlap, up
// to four at once (more would sound as the same tone and are skipped). Silent when there is
// no output device or no QCoreApplication.
void PlaySearchBeep();

}  // namespace glimtap
