#pragma once

#include <memory>

#include "platform/backend_set.h"
#include "platform/consent_memory.h"

namespace glimtap::cli {

// The desktop's services for a command that reads the screen, with what lets the user
// consent once kept where the window keeps it.
struct ScreenBackends {
    std::unique_ptr<platform::ConsentMemory> memory;  // first: it outlives the set
    std::unique_ptr<platform::BackendSet> set;
};

// Opens them and, where the desktop asks its user first, has it ask (for the pointer and
// touch too when `input`) and waits for the answer (Ctrl+C ends the wait). Throws CliError
// with the desktop's reason when the user or the desktop refuses. One source file per system.
ScreenBackends OpenScreenBackends(bool input);

}  // namespace glimtap::cli
