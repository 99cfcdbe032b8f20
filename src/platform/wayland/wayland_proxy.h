#pragma once

#include <wayland-client-core.h>

#include <memory>

namespace glimtap::platform {

// Frees the client side of a proxy and sends nothing: for objects that need no destructor
// request, or whose connection is about to close anyway.
struct ProxyDeleter {
    template <typename T>
    void operator()(T* proxy) const noexcept {
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(proxy));
    }
};

template <typename T>
using Proxy = std::unique_ptr<T, ProxyDeleter>;

}  // namespace glimtap::platform
