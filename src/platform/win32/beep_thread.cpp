#include "platform/win32/beep_thread.h"

#include <windows.h>

namespace glimtap::platform {

BeepThread::BeepThread() : thread_([this] { Run(); }) {}

BeepThread::~BeepThread() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void BeepThread::Play() {
    {
        const std::lock_guard lock(mutex_);
        if (waiting_ == kMostWaiting) return;
        ++waiting_;
    }
    wake_.notify_one();
}

void BeepThread::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || waiting_ > 0; });
        if (stopping_) return;
        --waiting_;
        lock.unlock();
        Beep(2500, 50);
        lock.lock();
    }
}

}  // namespace glimtap::platform
