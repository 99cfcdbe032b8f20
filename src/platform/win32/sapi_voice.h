#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace glimtap::platform {

// SAPI's default voice, on a thread of its own in COM's multithreaded apartment, so the
// callers' threads keep whatever apartment they need (ShellExecuteExW wants a single-threaded
// one). Speak may be called from any thread; it waits only for SAPI to take the text, which
// it then speaks asynchronously. A newer text cuts off one still being spoken.
class SapiVoice {
public:
    SapiVoice();
    // Cuts off what is still being spoken.
    ~SapiVoice();
    SapiVoice(const SapiVoice&) = delete;
    SapiVoice& operator=(const SapiVoice&) = delete;

    // SAPI's answer to the text; where no voice could be made, the reason it could not.
    HRESULT Speak(std::u16string_view text);

private:
    void Run();

    std::mutex speaking_;  // one text at a time
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::wstring> text_;
    std::optional<HRESULT> answer_;
    bool stopping_ = false;
    // Last: it starts once everything above is ready.
    std::thread thread_;
};

}  // namespace glimtap::platform
