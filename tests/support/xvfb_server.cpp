#include "support/xvfb_server.h"

#include <cstdlib>
#include <stdexcept>
#include <utility>

#include "support/poll_until.h"

namespace glimtap::test {

// The server writes the number of the display it found free on its standard output.
XvfbServer::XvfbServer(const std::vector<std::string>& arguments) : server_([&] {
    std::vector<std::string> words{"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-noreset"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return words;
}()) {
    std::string number;
    PollUntil([&] {
        number = server_.OutputSoFar();
        return number.ends_with('\n') || server_.WaitFor(std::chrono::milliseconds(0));
    });
    if (!number.ends_with('\n')) throw std::runtime_error("Xvfb did not start");
    number.pop_back();
    display_ = ":" + number;
}

EnvironmentOverride::EnvironmentOverride(std::string name, const std::string& value)
    : name_(std::move(name)) {
    if (const char* saved = std::getenv(name_.c_str())) saved_ = saved;
    value.empty() ? unsetenv(name_.c_str()) : setenv(name_.c_str(), value.c_str(), 1);
}

EnvironmentOverride::~EnvironmentOverride() {
    saved_ ? setenv(name_.c_str(), saved_->c_str(), 1) : unsetenv(name_.c_str());
}

}  // namespace glimtap::test
