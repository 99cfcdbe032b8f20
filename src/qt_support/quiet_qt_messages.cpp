#include "qt_support/quiet_qt_messages.h"

#include <errno.h>

#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace glimtap {
namespace {

void DropQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) return;
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, message.toLocal8Bit().constData());
}

}  // namespace

void KeepQtMessagesQuiet() { qInstallMessageHandler(DropQtMessages); }

}  // namespace glimtap
