#pragma once

#include <memory>
#include <string_view>

#include "engine/speaker.h"

namespace glimtap {

class SpeechVoice;

// Speaks through a QTextToSpeech engine of its own, so two speakers may talk over each other.
// The engine lives on the application thread; Speak and the destructor may run on any thread,
// one without an event loop included, and only queue work for it. A speaker destroyed while
// its engine talks lets the engine finish first.
class CSpeechAlert : public Speaker {
public:
    CSpeechAlert();
    ~CSpeechAlert() override;
    CSpeechAlert(const CSpeechAlert&) = delete;
    CSpeechAlert& operator=(const CSpeechAlert&) = delete;

    // True when the text was handed to the engine. False for empty text, without a
    // QCoreApplication, and once the engine has shown it cannot be heard (no speech plug-in,
    // no audio output): such a speaker stays silent.
    bool Speak(std::u16string_view text) override;

private:
    std::shared_ptr<SpeechVoice> voice_;
};

}  // namespace glimtap
