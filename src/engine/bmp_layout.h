#pragma once

#include <cstddef>

// Where the fields of a bitmap file's two headers stand.
namespace glimtap::bmp_layout {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;  // the plain info header; later versions are longer
constexpr size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

constexpr size_t kPixelOffset = 10;
constexpr size_t kWidth = 18;
constexpr size_t kHeight = 22;
constexpr size_t kBitCount = 28;
constexpr size_t kCompression = 30;

}  // namespace glimtap::bmp_layout
