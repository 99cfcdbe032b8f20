#pragma once

#include <stdexcept>

namespace glimtap::platform {

// A desktop service that cannot be had here (no display, an X server without XTest, no
// access to /dev/uinput); what() says why. Thrown only while a backend set opens.
class Unavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace glimtap::platform
