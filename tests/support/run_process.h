#pragma once

#include <string>
#include <vector>

namespace glimtap::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs a program (no shell) to its end and collects what it printed.
ProcessResult RunProcess(const std::vector<std::string>& argv);

}  // namespace glimtap::test
