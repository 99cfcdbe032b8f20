#include "platform/shown_picture.h"

#include <algorithm>
#include <cstring>

#include "platform/area_clip.h"

namespace glimtap::platform {
namespace {

// XRGB and ARGB: their words are the picture's own (bits 24-31 are left undefined).
bool KeepsWords(const PixelFormat& format) {
    return format.fourcc == Fourcc("XR24") || format.fourcc == Fourcc("AR24");
}

// The buffer pixel shown at (x, y) of the shown rectangle.
Point BufferPixel(const PixelBuffer& b, Size shown, int32_t x, int32_t y) {
    if (b.transform >= 4) x = shown.width - 1 - x;  // mirrored after turning
    Point at;
    switch (b.transform & 3) {
        case 0:
            at = {x, y};
            break;
        case 1:
            at = {y, b.height - 1 - x};
            break;
        case 2:
            at = {b.width - 1 - x, b.height - 1 - y};
            break;
        default:
            at = {b.width - 1 - y, x};
            break;
    }
    if (b.yInvert) at.y = b.height - 1 - at.y;
    return at;
}

void Copy(const ShownBuffer& from, const ScreenRect& image, uint32_t* to) {
    const PixelBuffer& b = from.buffer;
    const Size shown{from.shown.width, from.shown.height};
    ScreenRect part = VisiblePart(
        {image.left - from.shown.left, image.top - from.shown.top, image.width, image.height},
        shown);
    const int32_t bytes = b.format->bytesPerPixel;
    for (int32_t y = part.top; y < part.top + part.height; ++y) {
        uint32_t* row = to + static_cast<size_t>(from.shown.top + y - image.top) * image.width +
                        (from.shown.left + part.left - image.left);
        const Point first = BufferPixel(b, shown, part.left, y);
        const Point next = BufferPixel(b, shown, part.left + 1, y);
        // Along a shown row the buffer is walked by a fixed step in bytes.
        const ptrdiff_t step = (next.x - first.x) * bytes + ptrdiff_t{next.y - first.y} * b.stride;
        const uint8_t* at = b.data + ptrdiff_t{first.y} * b.stride + ptrdiff_t{first.x} * bytes;
        if (step == 4 && KeepsWords(*b.format)) {
            std::memcpy(row, at, static_cast<size_t>(part.width) * 4);
            continue;
        }
        for (int32_t x = 0; x < part.width; ++x, at += step) row[x] = b.format->read(at);
    }
}

}  // namespace

bool TransformTurns(int32_t transform) { return (transform & 1) != 0; }

Size ShownSize(Size buffer, int32_t transform) {
    return TransformTurns(transform) ? Size{buffer.height, buffer.width} : buffer;
}

ScreenImage ShownPicture(const std::vector<ShownBuffer>& buffers, const ScreenRect& image,
                         std::vector<uint32_t>& storage) {
    if (buffers.size() == 1) {
        const ShownBuffer& only = buffers.front();
        const PixelBuffer& b = only.buffer;
        if (KeepsWords(*b.format) && b.transform == 0 && !b.yInvert && only.shown == image &&
            b.stride == image.width * 4) {
            return {reinterpret_cast<const uint32_t*>(b.data), image.width, image.height,
                    image.left, image.top};
        }
    }
    storage.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    if (buffers.size() != 1 || buffers.front().shown != image) {
        std::fill(storage.begin(), storage.end(), 0u);
    }
    for (const ShownBuffer& buffer : buffers) Copy(buffer, image, storage.data());
    return {storage.data(), image.width, image.height, image.left, image.top};
}

}  // namespace glimtap::platform
