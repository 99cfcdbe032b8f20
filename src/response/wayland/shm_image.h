#pragma once

#include <QImage>
#include <QSize>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>

#include "platform/wayland/wayland_shm_buffer.h"

namespace glimtap {

// A picture in shared memory that a Wayland surface can show: an ARGB8888 wl_buffer whose
// pixels QPainter draws on in place (Format_ARGB32_Premultiplied is the same layout). The
// compositor reads it from the attach until it releases it; Busy() says so meanwhile.
// Thread of the connection that made it only; throws std::runtime_error when the memory
// cannot be had.
class ShmImage {
public:
    ShmImage(wl_shm* shm, QSize size);
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
    // A picture of `size` that the compositor is not reading; a fresh one when both are
    // still held or the size changed.
    ShmImage& Free(wl_shm* shm, QSize size);

private:
    std::array<std::optional<ShmImage>, 2> images_;
    size_t next_ = 0;
};

}  // namespace glimtap
