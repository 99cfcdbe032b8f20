#pragma once

#include <windows.h>

#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace glimtap::platform {

// A thread of its own with a Windows message queue, served by `serve`: a message loop that
// returns once GetMessageW sees WM_QUIT. Any thread may post to it; the destructor quits the
// loop and waits for the thread.
class MessageLoopThread {
public:
    explicit MessageLoopThread(std::function<void()> serve);
    ~MessageLoopThread();
    MessageLoopThread(const MessageLoopThread&) = delete;
    MessageLoopThread& operator=(const MessageLoopThread&) = delete;

    // Hands `message` and `owned` to the loop, which takes the object over (Take); false when
    // the message could not be posted, and the object goes here.
    template <typename T>
    bool Post(UINT message, std::unique_ptr<T> owned) const {
        const auto carried = reinterpret_cast<LPARAM>(owned.get());
        if (!PostThreadMessageW(id_, message, 0, carried)) return false;
        owned.release();
        return true;
    }

    // Asks the loop for a value: posts `message` with a std::promise<T> the loop fulfils and
    // waits for it; `otherwise` when the loop cannot be reached.
    template <typename T>
    T Ask(UINT message, T otherwise) const {
        auto promise = std::make_unique<std::promise<T>>();
        std::future<T> answer = promise->get_future();
        return Post(message, std::move(promise)) ? answer.get() : otherwise;
    }

    // On the loop's thread: the object that a message of Post or Ask carries.
    template <typename T>
    static std::unique_ptr<T> Take(const MSG& message) {
        return std::unique_ptr<T>(reinterpret_cast<T*>(message.lParam));
    }

private:
    DWORD id_ = 0;
    std::thread thread_;
};

}  // namespace glimtap::platform
