#include "platform/win32/message_loop_thread.h"

#include <utility>

namespace glimtap::platform {

MessageLoopThread::MessageLoopThread(std::function<void()> serve) {
    std::promise<DWORD> started;
    std::future<DWORD> id = started.get_future();
    thread_ = std::thread([serve = std::move(serve), started = std::move(started)]() mutable {
        MSG message;
        // Makes the thread's message queue before anyone posts to it.
        PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        started.set_value(GetCurrentThreadId());
        serve();
    });
    id_ = id.get();
}

MessageLoopThread::~MessageLoopThread() {
    PostThreadMessageW(id_, WM_QUIT, 0, 0);
    thread_.join();
}

}  // namespace glimtap::platform
