#pragma once

#include <cstdint>
#include <filesystem>

namespace glimtap {

struct BmpSize {
    int32_t width = 0;
    int32_t height = 0;
};

// The pixel size a bitmap's headers claim, reading only its first 54 bytes: the width as
// stored, the height without its sign (a height of INT32_MIN gives INT32_MAX). 0 x 0 when
// the file cannot be read, does not start with "BM" or is shorter than both headers.
BmpSize ReadBmpSize(const std::filesystem::path& path);

}  // namespace glimtap
