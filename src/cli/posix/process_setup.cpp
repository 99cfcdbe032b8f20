#include "cli/process_setup.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <csignal>
#include <iostream>

namespace glimtap::cli {
namespace {

// Qt's own warnings (a missing sound server, say) are no news to the user of a command
// line tool; what matters is said by the tool itself.
void DropQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::cerr << "glimtap-cli: " << message.toStdString() << '\n';
}

}  // namespace

std::vector<std::string> PrepareProcess(int argc, char** argv) {
    // A display that went away must show as a failed request, which the capture reports,
    // not kill the program in the middle of a write to its socket.
    std::signal(SIGPIPE, SIG_IGN);
    qInstallMessageHandler(DropQtMessages);
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

}  // namespace glimtap::cli
