#pragma once

#include <windows.h>

#include <mutex>
#include <string>

#include "platform/global_hot_key.h"
#include "platform/win32/message_loop_thread.h"

namespace glimtap::platform {

// RegisterHotKey on a thread of its own that runs a message loop: Windows posts WM_HOTKEY
// to the thread that registered the key, so the keys are registered there too. A key
// another program registered is refused, which is how a taken key shows.
class Win32GlobalHotKey : public GlobalHotKey {
public:
    std::string GrabFirstFree() override;
    void OnPressed(Pressed pressed) override;

private:
    void RunLoop();
    // On the loop's thread: lets go of the key held, registers the first free one.
    std::string Grab();

    int held_ = 0;  // the loop's: id of the key registered (F6 is 1), 0 for none
    std::mutex mutex_;
    Pressed pressed_;
    MessageLoopThread loop_{[this] { RunLoop(); }};  // last: it uses every member above
};

}  // namespace glimtap::platform
