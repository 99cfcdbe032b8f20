#pragma once

#include <string_view>

namespace glimtap {

// Speaks short texts without making the caller wait for the audio.
class Speaker {
public:
    virtual ~Speaker() = default;
    // True when speaking was started; failures are silent.
    virtual bool Speak(std::u16string_view text) = 0;
};

}  // namespace glimtap
