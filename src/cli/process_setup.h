#pragma once

#include <string>
#include <vector>

namespace glimtap::cli {

// Readies the process for a command line tool, once, before any command runs, and returns
// its arguments after the program's name, in the narrow text PathFromString reads: POSIX
// lets a lost reader show as a failed write rather than a signal and silences Qt's own
// warnings; Windows reads its arguments as UTF-16 and prints UTF-8 to its console.
// One source file per system.
std::vector<std::string> PrepareProcess(int argc, char** argv);

}  // namespace glimtap::cli
