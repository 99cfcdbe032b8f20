#include "platform/portal/portal_request.h"

#include <atomic>
#include <cstring>
#include <utility>

namespace glimtap::platform {

std::string PortalHandlePath(sd_bus* bus, const char* kind, const std::string& token) {
    const char* unique = nullptr;
    std::string sender;
    if (sd_bus_get_unique_name(bus, &unique) >= 0 && unique != nullptr) sender = unique + 1;
    for (char& c : sender) {
        if (c == '.') c = '_';
    }
    return std::string(kPortalPath) + "/" + kind + "/" + sender + "/" + token;
}

std::string NewPortalToken() {
    static std::atomic<uint32_t> next{0};
    return "glimtap" + std::to_string(++next);
}

PortalRequest::PortalRequest(sd_bus* bus, const char* interface, const char* method,
                             const Appender& arguments, const Appender& options,
                             RequestAnswer answer)
    : bus_(bus), method_(method), answer_(std::move(answer)) {
    const std::string token = NewPortalToken();
    sd_bus_message* raw = nullptr;
    int result = Watch(PortalHandlePath(bus, "request", token).c_str());
    if (result >= 0) {
        result = sd_bus_message_new_method_call(bus, &raw, kPortalService, kPortalPath, interface,
                                                method);
    }
    const MessageHandle call(raw);
    if (result >= 0) result = arguments(raw);
    if (result >= 0) result = sd_bus_message_open_container(raw, 'a', "{sv}");
    if (result >= 0) {
        result = sd_bus_message_append(raw, "{sv}", "handle_token", "s", token.c_str());
    }
    if (result >= 0) result = options(raw);
    if (result >= 0) result = sd_bus_message_close_container(raw);
    sd_bus_slot* slot = nullptr;
    if (result >= 0) result = sd_bus_call_async(bus, &slot, raw, &PortalRequest::OnReply, this, 0);
    call_.reset(slot);
    if (result < 0) Fail(std::strerror(-result));
}

int PortalRequest::Watch(const char* path) {
    sd_bus_slot* slot = nullptr;
    const int result =
        sd_bus_match_signal(bus_, &slot, kPortalService, path, "org.freedesktop.portal.Request",
                            "Response", &PortalRequest::OnResponse, this);
    response_.reset(slot);
    path_ = path;
    return result;
}

void PortalRequest::Fail(const std::string& why) {
    if (answer_) std::exchange(answer_, nullptr)(2, nullptr, method_ + " failed: " + why);
}

int PortalRequest::OnReply(sd_bus_message* reply, void* data, sd_bus_error*) {
    auto* self = static_cast<PortalRequest*>(data);
    if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
        self->Fail(error->message != nullptr ? error->message : error->name);
        return 0;
    }
    const char* handle = nullptr;
    // Portals older than the handle_token rule answer at a path of their own choosing.
    if (sd_bus_message_read(reply, "o", &handle) >= 0 && self->path_ != handle) {
        if (self->Watch(handle) < 0) self->Fail("cannot follow its request");
    }
    return 0;
}

int PortalRequest::OnResponse(sd_bus_message* signal, void* data, sd_bus_error*) {
    auto* self = static_cast<PortalRequest*>(data);
    uint32_t response = 2;
    if (sd_bus_message_read(signal, "u", &response) < 0) {
        self->Fail("its answer cannot be read");
        return 0;
    }
    if (self->answer_) std::exchange(self->answer_, nullptr)(response, signal, "");
    return 0;
}

}  // namespace glimtap::platform
