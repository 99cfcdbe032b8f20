#include "platform/detached_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/report_failure.h"
#include "platform/unique_fd.h"

namespace glimtap::platform {

namespace {

std::string ErrnoText(int number) { return std::strerror(number); }

// Tells the waiting parent why the program could not be started.
[[noreturn]] void ReportAndExit(int report, int number) {
    [[maybe_unused]] const ssize_t written = ::write(report, &number, sizeof number);
    ::_exit(127);
}

// Runs in the forked children, so only async-signal-safe calls from here on: the parent
// may have other threads holding locks that the children would inherit held.
[[noreturn]] void StartGrandchild(const char* program, char* const* argv, int null_device,
                                  int report) {
    if (::setsid() < 0) ReportAndExit(report, errno);
    // _Fork skips the atfork handlers, which may take locks.
    const pid_t grandchild = ::_Fork();
    if (grandchild < 0) ReportAndExit(report, errno);
    if (grandchild > 0) ::_exit(0);

    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::dup2(null_device, fd) < 0) ReportAndExit(report, errno);
    }
    // Our own descriptors (the X connection, say) must not leak into the program; the
    // report pipe is close-on-exec already.
    ::close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC);
    // Blocked and ignored signals would survive exec and confuse the program.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
        ::signal(signal_number, SIG_DFL);
    }
    ::execve(program, argv, environ);
    ReportAndExit(report, errno);
}

}  // namespace

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   std::string* error) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const UniqueFd null_device{::open("/dev/null", O_RDWR | O_CLOEXEC)};
    if (null_device.Get() < 0) return Fail(error, "cannot open /dev/null: " + ErrnoText(errno));
    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_CLOEXEC) != 0) {
        return Fail(error, "cannot make a pipe: " + ErrnoText(errno));
    }
    const UniqueFd report_read{pipe_fds[0]};
    UniqueFd report_write{pipe_fds[1]};

    const pid_t child = ::fork();
    if (child < 0) return Fail(error, "cannot fork: " + ErrnoText(errno));
    if (child == 0) {
        StartGrandchild(program.c_str(), argv.data(), null_device.Get(), report_write.Get());
    }

    report_write.Reset();
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes without a word when exec succeeds.
    int failure = 0;
    ssize_t received = 0;
    do {
        received = ::read(report_read.Get(), &failure, sizeof failure);
    } while (received < 0 && errno == EINTR);
    if (received == sizeof failure) {
        return Fail(error, "cannot start " + program + ": " + ErrnoText(failure));
    }
    return true;
}

}  // namespace glimtap::platform
