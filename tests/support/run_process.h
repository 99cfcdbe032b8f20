#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace glimtap::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not exit normally
    std::string out, err;
};

// A program (no shell; looked up in $PATH) running beside the test, its standard output and
// error going to files. One still running when this is destroyed is killed.
class ChildProcess {
public:
    // Throws std::runtime_error when the program cannot be started.
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();

    pid_t pid() const { return pid_; }
    // What it has printed on its standard output so far.
    std::string OutputSoFar() const;
    // Waits for its end, at most `timeout`; nullopt when it is still running then.
    std::optional<ProcessResult> WaitFor(std::chrono::milliseconds timeout);
    ProcessResult Wait();
    // Asks it to end (SIGTERM) and waits until it has.
    void Stop();

private:
    ProcessResult Collect(int status) const;

    TempDir dir_;
    pid_t pid_ = -1;
    bool ended_ = false;
};

// Runs a program (no shell) to its end and collects what it printed.
ProcessResult RunProcess(const std::vector<std::string>& argv);

}  // namespace glimtap::test
