#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/run_process.h"

namespace glimtap::test {

// An extra Xvfb for tests that need a server unlike the one they run under (another screen
// depth, an extension switched off, a server that dies). Stopped on destruction.
class XvfbServer {
public:
    // `arguments` are added to Xvfb's command line. Throws std::runtime_error when the
    // server does not come up.
    explicit XvfbServer(const std::vector<std::string>& arguments);
    ~XvfbServer() { Stop(); }

    // ":N", for $DISPLAY.
    const std::string& display() const { return display_; }
    // Ends the server now, as when it dies under its clients.
    void Stop() { server_.Stop(); }

private:
    ChildProcess server_;
    std::string display_;
};

// Sets the environment variable `name` (unsets it when given "") until destruction, then
// puts it back.
class EnvironmentOverride {
public:
    EnvironmentOverride(std::string name, const std::string& value);
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// Sets $DISPLAY (unsets it when given "") until destruction.
class DisplayOverride : public EnvironmentOverride {
public:
    explicit DisplayOverride(const std::string& display) : EnvironmentOverride("DISPLAY", display) {}
};

}  // namespace glimtap::test
