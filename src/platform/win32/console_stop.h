#pragma once

#include <functional>

namespace glimtap::platform {

// Calls `stop` when the user interrupts the console program (Ctrl+C, Ctrl+Break) instead of
// ending the process there and then, so the program can end between two pieces of work.
// `stop` runs on a thread the system starts for it. One at a time; the system's own answer
// comes back at the end.
class ConsoleStop {
public:
    explicit ConsoleStop(std::function<void()> stop);
    ~ConsoleStop();
    ConsoleStop(const ConsoleStop&) = delete;
    ConsoleStop& operator=(const ConsoleStop&) = delete;
};

}  // namespace glimtap::platform
