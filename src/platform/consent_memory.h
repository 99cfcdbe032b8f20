#pragma once

#include <string>

namespace glimtap::platform {

// Keeps, from one run to the next, what a desktop hands out so that its user consents once
// (a screen cast's restore token). Called from any one thread at a time; nothing is thrown.
class ConsentMemory {
public:
    virtual ~ConsentMemory() = default;
    // What was kept last; "" when nothing was.
    virtual std::string Recall() const = 0;
    // Keeps `token` in place of what was kept; "" forgets it.
    virtual void Remember(const std::string& token) = 0;
};

}  // namespace glimtap::platform
