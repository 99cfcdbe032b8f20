#include "platform/hang_up.h"

#include <poll.h>

namespace glimtap::platform {

bool HungUp(int fd, std::chrono::milliseconds patience) {
    // Data waiting to be read does not end the wait: only the other end's close does.
    pollfd watched{fd, POLLRDHUP, 0};
    return ::poll(&watched, 1, static_cast<int>(patience.count())) > 0 &&
           (watched.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

}  // namespace glimtap::platform
