#include "engine/boot_clock.h"

#include <windows.h>

namespace glimtap {

uint64_t MillisecondsSinceBoot() { return GetTickCount64(); }

}  // namespace glimtap
