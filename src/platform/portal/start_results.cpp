#include "platform/portal/start_results.h"

#include <cstring>
#include <functional>

namespace glimtap::platform {
namespace {

// Calls `entry` with each key of the a{sv} at `message`, positioned on its variant; `entry`
// reads the variant or returns 0 to have it skipped. Negative on failure.
int ForEachOption(sd_bus_message* message, const std::function<int(const char* key)>& entry) {
    int result = sd_bus_message_enter_container(message, 'a', "{sv}");
    if (result < 0) return result;
    while ((result = sd_bus_message_enter_container(message, 'e', "sv")) > 0) {
        const char* key = nullptr;
        if ((result = sd_bus_message_read(message, "s", &key)) < 0) return result;
        result = entry(key);
        if (result == 0) result = sd_bus_message_skip(message, "v");
        if (result < 0) return result;
        if ((result = sd_bus_message_exit_container(message)) < 0) return result;
    }
    return result < 0 ? result : sd_bus_message_exit_container(message);
}

int ReadStream(sd_bus_message* message, CastStream& stream) {
    return ForEachOption(message, [&](const char* key) {
        ScreenRect& r = stream.logical;
        if (std::strcmp(key, "position") == 0) {
            const int result = sd_bus_message_read(message, "v", "(ii)", &r.left, &r.top);
            return result < 0 ? result : 1;
        }
        if (std::strcmp(key, "size") == 0) {
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
    return ForEachOption(results, [&](const char* key) {
               if (std::strcmp(key, "streams") == 0) return ReadStreams(results, into.streams);
               if (std::strcmp(key, "devices") == 0) {
                   const int result = sd_bus_message_read(results, "v", "u", &into.devices);
                   return result < 0 ? result : 1;
               }
               if (std::strcmp(key, "restore_token") == 0) {
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
    ForEachOption(results, [&](const char* key) {
        if (std::strcmp(key, "session_handle") != 0) return 0;
        const char* value = nullptr;
        // A string in the portal's documentation, an object path in some versions.
        char type = 0;
        const char* contents = nullptr;
        sd_bus_message_peek_type(results, &type, &contents);
        const bool path = contents != nullptr && std::strcmp(contents, "o") == 0;
        const int result = sd_bus_message_read(results, "v", path ? "o" : "s", &value);
        if (result >= 0) handle = value;
        return result < 0 ? result : 1;
    });
    return handle;
}

}  // namespace glimtap::platform
