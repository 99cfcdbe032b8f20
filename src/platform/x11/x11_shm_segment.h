#pragma once

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace glimtap::platform {

// A SysV shared-memory segment that the X server writes images into. It is marked for
// removal as soon as the server holds it, so the kernel frees it once both sides let go,
// even when the program dies without running its destructors.
class X11ShmSegment {
public:
    // Null when the segment cannot be made or the server will not attach it (a server on
    // another machine, say).
    static std::unique_ptr<X11ShmSegment> Attach(xcb_connection_t* connection, size_t bytes);

    ~X11ShmSegment();
    X11ShmSegment(const X11ShmSegment&) = delete;
    X11ShmSegment& operator=(const X11ShmSegment&) = delete;

    xcb_shm_seg_t Id() const { return id_; }
    size_t Bytes() const { return size_; }
    const uint32_t* Pixels() const { return static_cast<const uint32_t*>(address_); }

private:
    X11ShmSegment(xcb_connection_t* connection, xcb_shm_seg_t id, const void* address,
                  size_t size);

    xcb_connection_t* connection_;
    xcb_shm_seg_t id_;
    const void* address_;
    size_t size_;
};

}  // namespace glimtap::platform
