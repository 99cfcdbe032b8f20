#pragma once

#include <windows.h>

#include <string_view>

struct ISpVoice;

namespace glimtap::platform {

// SAPI's default voice. The thread that makes and ends it joins the process's multithreaded
// COM apartment meanwhile, so Speak may be called from any thread. Speak hands the text over
// and returns at once; a newer text cuts off one still being spoken.
class SapiVoice {
public:
    SapiVoice();
    ~SapiVoice();
    SapiVoice(const SapiVoice&) = delete;
    SapiVoice& operator=(const SapiVoice&) = delete;

    // SAPI's answer to the text; where no voice could be made, the reason it could not.
    HRESULT Speak(std::u16string_view text);

private:
    HRESULT joined_;
    HRESULT made_ = E_FAIL;
    ISpVoice* voice_ = nullptr;
};

}  // namespace glimtap::platform
