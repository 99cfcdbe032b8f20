#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/portal/sd_bus_handles.h"

namespace glimtap::platform {

inline constexpr const char* kPortalService = "org.freedesktop.portal.Desktop";
inline constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";

// The object path the portal gives a request or session of this connection made with
// `token`: `kind` is "request" or "session".
std::string PortalHandlePath(sd_bus* bus, const char* kind, const std::string& token);
// A token unique in this process, for handle_token and session_handle_token.
std::string NewPortalToken();

// How a request ended: `response` 0 granted, 1 cancelled by the user, 2 ended otherwise;
// `results` is the answer's a{sv}, null when the call failed, and then `error` says why.
using RequestAnswer =
    std::function<void(uint32_t response, sd_bus_message* results, const std::string& error)>;
// Appends to a method call; returns a negative errno on failure.
using Appender = std::function<int(sd_bus_message*)>;

// One call of a portal method that answers through a Request object's Response signal,
// subscribed before the call at the path the handle token gives. On the bus thread; the
// answer comes at most once, and never once this is gone. The answer runs inside sd-bus's
// dispatch: it must not destroy this request (post what follows to the bus thread).
class PortalRequest {
public:
    // `arguments` appends what comes before the options; `options` appends entries of the
    // options (a{sv}) beside handle_token.
    PortalRequest(sd_bus* bus, const char* interface, const char* method, const Appender& arguments,
                  const Appender& options, RequestAnswer answer);

private:
    static int OnReply(sd_bus_message* reply, void* data, sd_bus_error* error);
    static int OnResponse(sd_bus_message* signal, void* data, sd_bus_error* error);
    int Watch(const char* path);
    void Fail(const std::string& why);

    sd_bus* bus_;
    std::string method_;
    std::string path_;
    RequestAnswer answer_;
    SlotHandle response_;
    SlotHandle call_;
};

}  // namespace glimtap::platform
