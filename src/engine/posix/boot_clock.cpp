#include "engine/boot_clock.h"

#include <time.h>

namespace glimtap {

uint64_t MillisecondsSinceBoot() {
    timespec boot{};
    ::clock_gettime(CLOCK_BOOTTIME, &boot);
    return static_cast<uint64_t>(boot.tv_sec) * 1000 + static_cast<uint64_t>(boot.tv_nsec) / 1'000'000;
}

}  // namespace glimtap
