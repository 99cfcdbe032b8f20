#include "platform/win32/sapi_voice.h"

#include <sapi.h>

#include <string>

namespace glimtap::platform {

SapiVoice::SapiVoice() : joined_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {
    made_ = CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                             reinterpret_cast<void**>(&voice_));
    if (FAILED(made_)) voice_ = nullptr;
}

SapiVoice::~SapiVoice() {
    if (voice_ != nullptr) voice_->Release();
    if (SUCCEEDED(joined_)) CoUninitialize();
}

HRESULT SapiVoice::Speak(std::u16string_view text) {
    if (voice_ == nullptr) return made_;
    const std::wstring wide(text.begin(), text.end());
    return voice_->Speak(wide.c_str(), SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML, nullptr);
}

}  // namespace glimtap::platform
