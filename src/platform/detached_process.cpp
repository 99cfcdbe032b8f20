#include "platform/detached_process.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/report_failure.h"
#include "platform/unique_fd.h"

namespace glimtap::platform {

namespace {

// What the starting processes tell the caller, in one write to the report pipe.
struct Report {
    enum Kind : int { kNotStarted, kEnded, kStillRunning };
    Kind kind;
    int value;  // errno when not started, the wait status when ended
    size_t length;
    char output[1024];
};
static_assert(sizeof(Report) <= PIPE_BUF, "a report must arrive in one piece");

std::string ErrnoText(int number) { return std::strerror(number); }

// The functions below run in forked children, so only async-signal-safe calls: the parent
// may have other threads holding locks that the children would inherit held.

void Send(int report, const Report& message) {
    [[maybe_unused]] const ssize_t written = ::write(report, &message, sizeof message);
}

// Tells the waiting parent why the program could not be started.
[[noreturn]] void ReportAndExit(int report, int number) {
    Report message{};
    message.kind = Report::kNotStarted;
    message.value = number;
    Send(report, message);
    ::_exit(127);
}

// Our own descriptors (the X connection, say) must not stay open in a child that lives on.
void CloseAllBut(int a, int b) {
    const unsigned low = static_cast<unsigned>(std::min(a, b));
    const unsigned high = static_cast<unsigned>(std::max(a, b));
    if (low > 3) ::close_range(3, low - 1, 0);
    if (high > low + 1) ::close_range(low + 1, high - 1, 0);
    ::close_range(high + 1, ~0U, 0);
}

[[noreturn]] void Exec(const char* program, char* const* argv, int input, int output, int report) {
    if (::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 ||
        ::dup2(output, STDERR_FILENO) < 0) {
        ReportAndExit(report, errno);
    }
    // The report pipe is close-on-exec already.
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

long ElapsedMs(const timespec& since) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - since.tv_sec) * 1000 + (now.tv_nsec - since.tv_nsec) / 1000000;
}

// Reads what is there now into `message`; false at the end of the output.
bool ReadOutput(int from, Report& message) {
    char scratch[256];
    const bool room = message.length < sizeof message.output;
    char* to = room ? message.output + message.length : scratch;
    const size_t size = room ? sizeof message.output - message.length : sizeof scratch;
    const ssize_t got = ::read(from, to, size);
    if (got > 0 && room) message.length += static_cast<size_t>(got);
    return got > 0 || (got < 0 && errno == EINTR);
}

// Runs the program as a child of its own and reports how it ended, or that it still runs at
// the bound; then drains its output until the last holder closes it.
[[noreturn]] void Watch(const char* program, char* const* argv, int null_device, int report,
                        long bound_ms) {
    CloseAllBut(null_device, report);
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) ReportAndExit(report, errno);
    const pid_t child = ::_Fork();
    if (child < 0) ReportAndExit(report, errno);
    if (child == 0) Exec(program, argv, null_device, output[1], report);
    ::close(output[1]);

    Report message{};
    message.kind = Report::kStillRunning;
    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    bool open = true;
    for (;;) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) {
            message.kind = Report::kEnded;
            message.value = status;
            break;
        }
        const long left = bound_ms - ElapsedMs(start);
        if (left <= 0) break;
        pollfd watched{open ? output[0] : -1, POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(std::min(left, 20L))) > 0) {
            open = ReadOutput(output[0], message);
        }
    }
    // What it printed just before it ended.
    pollfd watched{output[0], POLLIN, 0};
    while (open && message.kind == Report::kEnded && ::poll(&watched, 1, 0) > 0) {
        open = ReadOutput(output[0], message);
    }
    Send(report, message);
    if (message.kind == Report::kEnded) ::_exit(0);
    // Whatever the program started may write for hours: something small must keep reading,
    // or a write would end it with SIGPIPE.
    char cat[] = "cat";
    char* const cat_argv[] = {cat, nullptr};
    Exec("/bin/cat", cat_argv, output[0], null_device, report);
}

[[noreturn]] void StartGrandchild(const char* program, char* const* argv, int null_device,
                                  int report, std::optional<long> bound_ms) {
    if (::setsid() < 0) ReportAndExit(report, errno);
    // _Fork skips the atfork handlers, which may take locks.
    const pid_t grandchild = ::_Fork();
    if (grandchild < 0) ReportAndExit(report, errno);
    if (grandchild > 0) ::_exit(0);
    if (bound_ms) Watch(program, argv, null_device, report, *bound_ms);
    Exec(program, argv, null_device, null_device, report);
}

std::string Describe(const std::string& name, const Report& report) {
    std::string text = name;
    const int status = report.value;
    if (WIFEXITED(status)) {
        text += " ended with status " + std::to_string(WEXITSTATUS(status));
    } else {
        text += " was ended by signal " + std::to_string(WTERMSIG(status));
    }
    std::string output(report.output, std::min(report.length, sizeof report.output));
    std::replace_if(output.begin(), output.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    const size_t end = output.find_last_not_of(' ');
    output.erase(end == std::string::npos ? 0 : end + 1);
    output.erase(0, output.find_first_not_of(' '));
    return output.empty() ? text : text + ": " + output;
}

bool Start(const std::string& program, const std::vector<std::string>& arguments,
           std::optional<long> bound_ms, std::string* error) {
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
        StartGrandchild(program.c_str(), argv.data(), null_device.Get(), report_write.Get(),
                        bound_ms);
    }

    report_write.Reset();
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // Without a watch the pipe closes without a word when exec succeeds.
    Report report{};
    size_t received = 0;
    while (received < sizeof report) {
        const ssize_t got = ::read(report_read.Get(), reinterpret_cast<char*>(&report) + received,
                                   sizeof report - received);
        if (got == 0) break;
        if (got < 0 && errno != EINTR) break;
        if (got > 0) received += static_cast<size_t>(got);
    }
    if (received < sizeof report) return true;
    if (report.kind == Report::kNotStarted) {
        return Fail(error, "cannot start " + program + ": " + ErrnoText(report.value));
    }
    if (report.kind == Report::kStillRunning ||
        (WIFEXITED(report.value) && WEXITSTATUS(report.value) == 0)) {
        return true;
    }
    return Fail(error, Describe(arguments.empty() ? program : arguments.front(), report));
}

}  // namespace

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   std::string* error) {
    return Start(program, arguments, std::nullopt, error);
}

bool StartDetachedAndWatch(const std::string& program, const std::vector<std::string>& arguments,
                           std::chrono::milliseconds bound, std::string* error) {
    return Start(program, arguments, static_cast<long>(bound.count()), error);
}

}  // namespace glimtap::platform
