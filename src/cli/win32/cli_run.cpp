#include "cli/commands.h"
#include "cli/options.h"

namespace glimtap::cli {

// The run's event loop and alerts are Qt's so far, which Windows builds lack.
int RunRun(std::span<char* const>, std::ostream&) {
    throw CliError("run is not available on Windows yet");
}

}  // namespace glimtap::cli
