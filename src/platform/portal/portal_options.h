#pragma once

#include <functional>
#include <string>

#include "platform/portal/sd_bus_handles.h"

namespace glimtap::platform {

// Calls `entry` with each key of the portal's a{sv} at `message`, positioned on its variant;
// `entry` reads the variant and returns 1, or returns 0 to have it skipped, or a negative
// error. Negative when the options cannot be read.
int ForEachOption(sd_bus_message* message,
                  const std::function<int(const std::string& key)>& entry);

// Reads a variant holding a string or an object path (portals differ in which they send);
// false leaves anything else unread.
bool ReadVariantText(sd_bus_message* message, std::string& text);

}  // namespace glimtap::platform
