#pragma once

#include <string>
#include <vector>

namespace glimtap::platform {

// Runs `program` (a path, not looked up on PATH) with `arguments` as its argv, starting
// with argv[0], in a session of its own: it outlives us, is never our child (so it never
// lingers as a zombie) and reads and writes /dev/null. No shell is involved. Returns once
// the program has replaced the starting process; on failure *error (when given) says why.
bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   std::string* error);

}  // namespace glimtap::platform
