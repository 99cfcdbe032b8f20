#pragma once

#include <chrono>

namespace glimtap::platform {

// Whether the other end of the connected socket `fd` has closed it (its server ended),
// waiting up to `patience` for that. Reads nothing, so any thread may ask.
bool HungUp(int fd, std::chrono::milliseconds patience);

}  // namespace glimtap::platform
