#include "response/wayland/shm_image.h"

#include <stdexcept>

namespace glimtap {

ShmImage::ShmImage(wl_shm* shm, QSize size, QImage::Format format)
    : memory_(platform::WaylandShmBuffer::Create(
          shm, size.width(), size.height(), size.width() * 4,
          format == QImage::Format_RGB32 ? WL_SHM_FORMAT_XRGB8888 : WL_SHM_FORMAT_ARGB8888)) {
    if (memory_ == nullptr) throw std::runtime_error("no shared memory for a surface");
    static const wl_buffer_listener listener{&ShmImage::Released};
    wl_buffer_add_listener(memory_->Buffer(), &listener, this);
    picture_ = QImage(memory_->Data(), size.width(), size.height(), memory_->Stride(),
                      format);
}

void ShmImage::Released(void* self, wl_buffer*) { static_cast<ShmImage*>(self)->busy_ = false; }

ShmImage& ShmImagePair::Free(wl_shm* shm, QSize size) {
    for (std::optional<ShmImage>& image : images_) {
        if (image && !image->Busy() && image->Picture().size() == size) return *image;
    }
    std::optional<ShmImage>& slot = images_[next_];
    next_ = 1 - next_;
    slot.reset();
    slot.emplace(shm, size, format_);
    return *slot;
}

}  // namespace glimtap
