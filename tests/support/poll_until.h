#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace glimtap::test {

// Asks `done` every 10 ms until it holds; false when it still does not after `timeout`.
// For what another process or the X server does, with no event to wait for.
inline bool PollUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace glimtap::test
