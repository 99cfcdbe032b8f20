// Reads the size of arbitrary bytes as a bitmap file, through a memfd reopened by its path.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "engine/bmp_size.h"
#include "engine/little_endian.h"

namespace {

int InputFile() {
    static const int fd = memfd_create("fuzz_bmp_size", 0);
    if (fd < 0) abort();
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = InputFile();
    if (ftruncate(fd, 0) != 0) abort();
    if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) abort();

    const auto bmp = glimtap::ReadBmpSize("/proc/self/fd/" + std::to_string(fd));
    // Both headers (54 bytes) must be present; the width comes back as stored, sign and all.
    const bool readable = size >= 54 && data[0] == 'B' && data[1] == 'M';
    const auto storedWidth =
        readable ? static_cast<int32_t>(glimtap::LoadLe32(std::span(data, size), 18)) : 0;
    if (bmp.width != storedWidth || bmp.height < 0) abort();
    if (!readable && bmp.height != 0) abort();
    return 0;
}
