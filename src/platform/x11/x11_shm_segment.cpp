#include "platform/x11/x11_shm_segment.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include "platform/x11/x11_connection.h"

namespace glimtap::platform {

namespace {

// True when the server has attached `shmId` as `segment`.
bool ServerAttach(xcb_connection_t* connection, xcb_shm_seg_t segment, int shmId) {
    const Reply<xcb_generic_error_t> error{
        xcb_request_check(connection, xcb_shm_attach_checked(connection, segment, shmId, 0))};
    // A broken connection reports no error either.
    return error == nullptr && xcb_connection_has_error(connection) == 0;
}

}  // namespace

std::unique_ptr<X11ShmSegment> X11ShmSegment::Attach(xcb_connection_t* connection,
                                                     size_t bytes) {
    const int shmId = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmId == -1) return nullptr;
    // Only the server writes; our side never needs to.
    void* address = shmat(shmId, nullptr, SHM_RDONLY);
    const xcb_shm_seg_t segment = xcb_generate_id(connection);
    const bool attached = address != reinterpret_cast<void*>(-1) &&
                          segment != static_cast<xcb_shm_seg_t>(-1) &&
                          ServerAttach(connection, segment, shmId);
    // Removed only now that the server holds it: not every system lets a removed segment
    // be attached.
    shmctl(shmId, IPC_RMID, nullptr);
    if (!attached) {
        if (address != reinterpret_cast<void*>(-1)) shmdt(address);
        return nullptr;
    }
    return std::unique_ptr<X11ShmSegment>(new X11ShmSegment(connection, segment, address, bytes));
}

X11ShmSegment::X11ShmSegment(xcb_connection_t* connection, xcb_shm_seg_t id,
                             const void* address, size_t size)
    : connection_(connection), id_(id), address_(address), size_(size) {}

X11ShmSegment::~X11ShmSegment() {
    xcb_shm_detach(connection_, id_);
    shmdt(address_);
}

}  // namespace glimtap::platform
