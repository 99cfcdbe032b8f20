#pragma once

namespace glimtap::cli {

// Readies the process for a command line tool, once, before any command runs: POSIX lets a
// lost reader show as a failed write rather than a signal and silences Qt's own warnings;
// Windows prints UTF-8 to its console. One source file per system.
void PrepareProcess();

}  // namespace glimtap::cli
