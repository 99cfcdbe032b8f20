#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ostream>
#include <vector>

namespace glimtap::test {

// What this process holds of the system and of the X server right now, to compare before and
// after a workload.
struct ProcessResources {
    int threads = 0, fileDescriptors = 0;
    // SysV shared-memory segments this process created that still exist.
    int sharedSegments = 0;
    // Clients of the X server named by $DISPLAY, and the resources they hold together.
    int xClients = 0;
    int64_t xResources = 0;

    friend bool operator==(const ProcessResources&, const ProcessResources&) = default;
};

std::ostream& operator<<(std::ostream& out, const ProcessResources& resources);

// Throws std::runtime_error when the display or /proc cannot be read.
ProcessResources CountProcessResources();

// A SysV shared-memory segment as the kernel lists it.
struct SharedSegment {
    int id = 0;
    unsigned mode = 0;  // permissions and flags such as SHM_DEST
    size_t size = 0;
    int attached = 0;
};

// The SysV shared-memory segments that process `creator` made and that still exist.
std::vector<SharedSegment> SharedSegmentsOf(pid_t creator);
// The resident set size of this process, in KiB.
int64_t ResidentKiB();

}  // namespace glimtap::test
