#pragma once

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/unique_fd.h"

namespace glimtap::platform {

// A wl_buffer over memory shared with the compositor (a memfd), mapped for reading and
// writing. Used on the thread of the connection that made it.
class WaylandShmBuffer {
public:
    // Null when the memory cannot be had. `format` is a wl_shm format (WL_SHM_FORMAT_*).
    static std::unique_ptr<WaylandShmBuffer> Create(wl_shm* shm, int32_t width, int32_t height,
                                                    int32_t stride, uint32_t format);
    ~WaylandShmBuffer();
    WaylandShmBuffer(const WaylandShmBuffer&) = delete;
    WaylandShmBuffer& operator=(const WaylandShmBuffer&) = delete;

    wl_buffer* Buffer() const { return buffer_; }
    uint8_t* Data() const { return data_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Stride() const { return stride_; }
    uint32_t Format() const { return format_; }

private:
    WaylandShmBuffer(UniqueFd fd, uint8_t* data, size_t bytes, int32_t width, int32_t height,
                     int32_t stride, uint32_t format)
        : fd_(std::move(fd)), data_(data), bytes_(bytes), width_(width), height_(height),
          stride_(stride), format_(format) {}

    UniqueFd fd_;
    uint8_t* data_;
    size_t bytes_;
    int32_t width_;
    int32_t height_;
    int32_t stride_;
    uint32_t format_;
    wl_buffer* buffer_ = nullptr;
};

}  // namespace glimtap::platform
