#pragma once

#include <string>

namespace glimtap::platform {

// For calls that say why they failed through an optional `std::string* error`: stores
// `message` there when asked to and returns false.
inline bool Fail(std::string* error, const std::string& message) {
    if (error != nullptr) *error = message;
    return false;
}

}  // namespace glimtap::platform
