#include "app/display_loss_exit.h"

#include <unistd.h>

#include <QtGlobal>

#include <cstdio>
#include <string>

namespace glimtap {
namespace {

// Qt's message handler is a plain function: it finds the desktop here.
const platform::Desktop* watched = nullptr;
QtMessageHandler before = nullptr;

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // Qt warns of a broken display connection without a category. The servers close every
    // client's connection within moments of each other, so a short wait tells.
    const bool uncategorised = context.category == nullptr || qstrcmp(context.category, "default") == 0;
    if (watched != nullptr && type != QtDebugMsg && type != QtInfoMsg && uncategorised) {
        const std::string lost = watched->Lost(std::chrono::milliseconds(100));
        if (!lost.empty()) {
            std::fprintf(stderr, "glimtap: %s\n", lost.c_str());
            ::_exit(2);
        }
    }
    if (before != nullptr) before(type, context, message);
}

}  // namespace

DisplayLossExit::DisplayLossExit(const platform::Desktop& desktop) {
    watched = &desktop;
    before = qInstallMessageHandler(OnQtMessage);
}

DisplayLossExit::~DisplayLossExit() {
    qInstallMessageHandler(before);
    watched = nullptr;
}

}  // namespace glimtap
