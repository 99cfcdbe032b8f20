#include "engine/bmp_size.h"

#include <array>
#include <cstddef>
#include <fstream>
#include <limits>

#include "engine/bmp_layout.h"
#include "engine/little_endian.h"

namespace glimtap {

using namespace bmp_layout;

BmpSize ReadBmpSize(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::array<uint8_t, kHeadersSize> headers{};
    file.read(reinterpret_cast<char*>(headers.data()), headers.size());
    if (file.gcount() != static_cast<std::streamsize>(headers.size())) return {};
    if (headers[0] != 'B' || headers[1] != 'M') return {};

    const int32_t height = static_cast<int32_t>(LoadLe32(headers, kHeight));
    // The magnitude of INT32_MIN does not fit; the nearest height that does stands in.
    const int32_t magnitude = height == std::numeric_limits<int32_t>::min()
                                  ? std::numeric_limits<int32_t>::max()
                                  : (height < 0 ? -height : height);
    return {static_cast<int32_t>(LoadLe32(headers, kWidth)), magnitude};
}

}  // namespace glimtap
