#include "platform/portal/start_results.h"

#include "platform/portal/portal_options.h"

namespace glimtap::platform {
namespace {

int ReadStream(sd_bus_message* message, CastStream& stream) {
    return ForEachOption(message, [&](const std::string& key) {
        ScreenRect& r = stream.logical;
        if (key == "position") {
            const int result = sd_bus_message_read(message, "v", "(ii)", &r.left, &r.top);
            return result < 0 ? result : 1;
        }
        if (key == "size") {
            const int result = sd_bus_message_read(message, "v", "(ii)", &r.width, &r.height);
            return result < 0 ? result : 1;
        }
        return 0;
    });
}

int ReadStreams(sd_bus_message* message, std::vector<CastStream>& streams) {
    int result = sd_bus_message_enter_container(message, 'v', "a(ua{sv})");
    if (result >= 0) result = sd_bus_message_enter_container(message, 'a', "(ua{sv})");
    if (result < 0) return result;
    while ((result = sd_bus_message_enter_container(message, 'r', "ua{sv}")) > 0) {
        CastStream& stream = streams.emplace_back();
        if ((result = sd_bus_message_read(message, "u", &stream.node)) < 0) return result;
        if ((result = ReadStream(message, stream)) < 0) return result;
        if ((result = sd_bus_message_exit_container(message)) < 0) return result;
    }
    if (result >= 0) result = sd_bus_message_exit_container(message);
    if (result >= 0) result = sd_bus_message_exit_container(message);
    return result < 0 ? result : 1;
}

}  // namespace

bool ReadStartResults(sd_bus_message* results, StartResults& into) {
    return ForEachOption(results, [&](const std::string& key) {
               if (key == "streams") return ReadStreams(results, into.streams);
               if (key == "devices") {
                   const int result = sd_bus_message_read(results, "v", "u", &into.devices);
                   return result < 0 ? result : 1;
               }
               if (key == "restore_token") {
                   const char* token = nullptr;
                   const int result = sd_bus_message_read(results, "v", "s", &token);
                   if (result >= 0) into.restoreToken = token;
                   return result < 0 ? result : 1;
               }
               return 0;
           }) >= 0;
}

std::string ReadSessionHandle(sd_bus_message* results) {
    std::string handle;
    ForEachOption(results, [&](const std::string& key) {
        return key == "session_handle" && ReadVariantText(results, handle) ? 1 : 0;
    });
    return handle;
}

}  // namespace glimtap::platform
