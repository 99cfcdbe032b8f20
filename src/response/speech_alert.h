#pragma once

#include <atomic>
#include <memory>
#include <string_view>

#include "engine/speaker.h"

namespace glimtap {

// Speaks through the application's speech engine (QTextToSpeech), which lives on the
// application thread. Speak may be called from any thread, one without an event loop
// included; it only queues the text, so the speaker may be destroyed at once and the text is
// still spoken. A newer text cuts off one still being spoken.
class CSpeechAlert : public Speaker {
public:
    CSpeechAlert();

    // True when the text was handed to the engine. False for empty text, without a
    // QCoreApplication, and once it is known that no engine can be heard (no speech plug-in,
    // no audio output): such a speaker stays silent.
    bool Speak(std::u16string_view text) override;

private:
    // Set on the application thread; shared because the speaker may be gone by then.
    std::shared_ptr<std::atomic<bool>> unheard_;
};

}  // namespace glimtap
