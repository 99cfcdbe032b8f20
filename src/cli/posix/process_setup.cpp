#include "cli/process_setup.h"

#include <algorithm>
#include <csignal>

#include "qt_support/quiet_qt_messages.h"

namespace glimtap::cli {

std::vector<std::string> PrepareProcess(int argc, char** argv) {
    // A display that went away must show as a failed request, which the capture reports,
    // not kill the program in the middle of a write to its socket.
    std::signal(SIGPIPE, SIG_IGN);
    KeepQtMessagesQuiet();
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

}  // namespace glimtap::cli
