#pragma once

#include <QImage>
#include <QSize>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>

#include "platform/wayland/wayland_shm_buffer.h"

namespace glimtap {

// A picture in shared memory that a Wayland surface can show: a wl_buffer whose pixels
// QPainter draws on in place, ARGB8888 for Format_ARGB32_Premultiplied (translucent) or
// XRGB8888 for Format_RGB32 (opaque, where raster operations work). The
// compositor reads it from the attach until it releases it; Busy() says so meanwhile.
// Thread of the connection that made it only; throws std::runtime_error when the memory
// cannot be had.
class ShmImage {
public:
    // `format` is Format_ARGB32_Premultiplied or Format_RGB32.
    ShmImage(wl_shm* shm, QSize size, QImage::Format format);
    ShmImage(const ShmImage&) = delete;
    ShmImage& operator=(const ShmImage&) = delete;

    // Paint here only while !Busy().
    QImage& Picture() { return picture_; }
    wl_buffer* Buffer() const { return memory_->Buffer(); }
    bool Busy() const { return busy_; }
    // Call at each attach; the compositor's release ends it.
    void MarkBusy() { busy_ = true; }

private:
    static void Released(void* self, wl_buffer* buffer);

    std::unique_ptr<platform::WaylandShmBuffer> memory_;
    QImage picture_;
    bool busy_ = false;
};

// Two pictures a surface shows in turn, so one is free to paint while the compositor reads
// the other. Same thread and errors as ShmImage.
class ShmImagePair {
public:
    // Pictures in `format`, as ShmImage takes it.
    explicit ShmImagePair(QImage::Format format) : format_(format) {}

    // A picture of `size` that the compositor is not reading; a fresh one when both are
    // still held or the size changed.
    ShmImage& Free(wl_shm* shm, QSize size);

private:
    const QImage::Format format_;
    std::array<std::optional<ShmImage>, 2> images_;
    size_t next_ = 0;
};

}  // namespace glimtap
