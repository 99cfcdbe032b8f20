#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace glimtap::platform {

// Runs `program` (a path, not looked up on PATH) with `arguments` as its argv, starting
// with argv[0], in a session of its own: it outlives us, is never our child (so it never
// lingers as a zombie) and reads and writes /dev/null. No shell is involved. Returns once
// the program has replaced the starting process; on failure *error (when given) says why.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   std::string* error);

// Starts `program` as StartDetached does, its output read instead of dropped, and waits up
// to `bound` for it to end. False when it cannot start or ends in failure within the bound;
// then *error (when given) has its exit status and the start of what it printed. True when
// it ends well, or still runs at the bound: then it goes on by itself, its output drained.
bool StartDetachedAndWatch(const std::string& program, const std::vector<std::string>& arguments,
                           std::chrono::milliseconds bound, std::string* error);

}  // namespace glimtap::platform
