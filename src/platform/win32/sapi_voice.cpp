#include "platform/win32/sapi_voice.h"

#include <sapi.h>

#include <utility>

namespace glimtap::platform {

SapiVoice::SapiVoice() : thread_([this] { Run(); }) {}

SapiVoice::~SapiVoice() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

HRESULT SapiVoice::Speak(std::u16string_view text) {
    const std::lock_guard one(speaking_);
    std::unique_lock lock(mutex_);
    text_.emplace(text.begin(), text.end());
    wake_.notify_all();
    wake_.wait(lock, [this] { return answer_.has_value(); });
    return *std::exchange(answer_, std::nullopt);
}

void SapiVoice::Run() {
    const HRESULT joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ISpVoice* voice = nullptr;
    const HRESULT made = CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                          reinterpret_cast<void**>(&voice));
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || text_.has_value(); });
        if (stopping_) break;
        answer_ = SUCCEEDED(made) ? voice->Speak(text_->c_str(),
                                                 SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML,
                                                 nullptr)
                                  : made;
        text_.reset();
        wake_.notify_all();
    }
    lock.unlock();
    if (SUCCEEDED(made)) voice->Release();
    if (SUCCEEDED(joined)) CoUninitialize();
}

}  // namespace glimtap::platform
