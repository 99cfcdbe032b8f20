#include "support/xvfb_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace glimtap::test {

namespace {

// Reads what Xvfb writes to its -displayfd: the display number and a newline, or
// nothing when it gives up.
std::string ReadLine(int fd) {
    std::string line;
    char c = 0;
    while (read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

}  // namespace

XvfbServer::XvfbServer(const std::vector<std::string>& arguments) {
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    // Only the write end goes to Xvfb.
    fcntl(pipe_fds[1], F_SETFD, 0);
    std::vector<std::string> words{"Xvfb", "-displayfd", std::to_string(pipe_fds[1]),
                                   "-nolisten", "tcp", "-noreset"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    const std::string number = spawned == 0 ? ReadLine(pipe_fds[0]) : "";
    close(pipe_fds[0]);
    if (number.empty()) {
        if (spawned == 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        throw std::runtime_error("Xvfb did not start");
    }
    display_ = ":" + number;
}

XvfbServer::~XvfbServer() { Stop(); }

void XvfbServer::Stop() {
    if (pid_ < 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

EnvironmentOverride::EnvironmentOverride(std::string name, const std::string& value)
    : name_(std::move(name)) {
    if (const char* saved = std::getenv(name_.c_str())) saved_ = saved;
    if (value.empty()) {
        unsetenv(name_.c_str());
    } else {
        setenv(name_.c_str(), value.c_str(), 1);
    }
}

EnvironmentOverride::~EnvironmentOverride() {
    if (saved_) {
        setenv(name_.c_str(), saved_->c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

}  // namespace glimtap::test
