// Decodes arbitrary bytes as a bitmap; a decoded bitmap must be exactly width x height pixels.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <variant>

#include "engine/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto result = glimtap::DecodeBmp(std::span(data, size));
    if (const auto* bitmap = std::get_if<glimtap::DecodedBitmap>(&result)) {
        if (bitmap->width <= 0 || bitmap->height <= 0) abort();
        const auto pixels = static_cast<uint64_t>(bitmap->width) * bitmap->height;
        if (bitmap->pixels.size() != pixels) abort();
    }
    return 0;
}
