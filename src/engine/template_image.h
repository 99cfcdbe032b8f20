#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace glimtap {

// One reference picture. Pixels are 0x??RRGGBB, top row first, stride == width;
// bits 24-31 are never compared.
struct TemplateImage {
    int32_t maxMatches = 0;     // 0 or less: no bound
    int32_t scanByColumns = 0;  // 0: rows outer
    int32_t tolerance = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// Loads a 24- or 32-bit bitmap file. On false the record is unchanged, except that a
// well-formed bitmap of another depth still sets width and height, and *whyNot (when
// given) says what the file is instead ("no such file", "a folder", "not a bitmap",
// "8 bits per pixel; 24 or 32 are read", ...).
bool LoadTemplateImage(TemplateImage& image, const std::filesystem::path& path,
                       std::string* whyNot = nullptr);

}  // namespace glimtap
