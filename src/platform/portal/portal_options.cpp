#include "platform/portal/portal_options.h"

#include <cerrno>
#include <cstring>

namespace glimtap::platform {

int ForEachOption(sd_bus_message* message,
                  const std::function<int(const std::string& key)>& entry) {
    int result = sd_bus_message_enter_container(message, 'a', "{sv}");
    if (result <= 0) return result < 0 ? result : -EBADMSG;
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

bool ReadVariantText(sd_bus_message* message, std::string& text) {
    char type = 0;
    const char* contents = nullptr;
    const char* value = nullptr;
    if (sd_bus_message_peek_type(message, &type, &contents) <= 0 || contents == nullptr ||
        (std::strcmp(contents, "s") != 0 && std::strcmp(contents, "o") != 0) ||
        sd_bus_message_read(message, "v", contents, &value) < 0) {
        return false;
    }
    text = value;
    return true;
}

}  // namespace glimtap::platform
