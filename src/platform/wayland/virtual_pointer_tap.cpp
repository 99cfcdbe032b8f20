#include "platform/wayland/virtual_pointer_tap.h"

#include "platform/unavailable.h"

namespace glimtap::platform {

bool VirtualPointerTap::Prepare() {
    if (device_ == nullptr) {
        try {
            device_ = std::make_unique<VirtualPointerDevice>();
        } catch (const Unavailable&) {
            return false;
        }
    }
    return device_->Connected();
}

}  // namespace glimtap::platform
