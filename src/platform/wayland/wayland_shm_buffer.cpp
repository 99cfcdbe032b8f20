#include "platform/wayland/wayland_shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

namespace glimtap::platform {

std::unique_ptr<WaylandShmBuffer> WaylandShmBuffer::Create(wl_shm* shm, int32_t width,
                                                           int32_t height, int32_t stride,
                                                           uint32_t format) {
    if (shm == nullptr || width <= 0 || height <= 0 || stride < width) return nullptr;
    const size_t bytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
    if (bytes > INT32_MAX) return nullptr;  // wl_shm pools take an int32 size
    UniqueFd fd(memfd_create("glimtap-shm", MFD_CLOEXEC));
    if (fd.Get() < 0 || ftruncate(fd.Get(), static_cast<off_t>(bytes)) != 0) return nullptr;
    void* data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
    if (data == MAP_FAILED) return nullptr;
    std::unique_ptr<WaylandShmBuffer> buffer(new WaylandShmBuffer(
        std::move(fd), static_cast<uint8_t*>(data), bytes, width, height, stride, format));
    wl_shm_pool* pool = wl_shm_create_pool(shm, buffer->fd_.Get(), static_cast<int32_t>(bytes));
    buffer->buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);  // the buffer keeps the memory
    return buffer;
}

WaylandShmBuffer::~WaylandShmBuffer() {
    if (buffer_ != nullptr) wl_buffer_destroy(buffer_);
    munmap(data_, bytes_);
}

}  // namespace glimtap::platform
