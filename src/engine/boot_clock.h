#pragma once

#include <cstdint>

namespace glimtap {

// Milliseconds since the system started, the time it slept included. Any thread may call.
uint64_t MillisecondsSinceBoot();

}  // namespace glimtap
