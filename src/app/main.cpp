#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/command_channel.h"
#include "app/command_client.h"
#include "app/display_loss_exit.h"
#include "app/glimtap_app.h"
#include "app/main_frame.h"
#include "app/shell_registration.h"
#include "platform/backends.h"
#include "platform/user_folders.h"
#include "qt_support/profile_consent_memory.h"
#include "qt_support/quiet_qt_messages.h"
#include "qt_support/signal_stop.h"
#include "ui/profile.h"

namespace {

constexpr const char* kUsage = R"(Usage: glimtap [FILE.GlimtapDataFile]
       glimtap --toggle | --start | --stop
       glimtap --help | -h | --version

Watches a rectangle of the screen for small pictures and reacts when one shows up.
FILE          open this data file at start
--toggle      start the running window's search, or stop it when it runs
--start       start the running window's search unless it runs
--stop        stop the running window's search if it runs
--help, -h    this text
--version     the program's version
The window needs an X11 display ($DISPLAY).
)";

struct Arguments {
    std::optional<QString> file;
    std::optional<glimtap::SearchRequest> request;
    bool help = false;
    bool version = false;
    std::optional<std::string> error;
};

std::optional<glimtap::SearchRequest> RequestOption(std::string_view arg) {
    using glimtap::SearchRequest;
    if (arg == "--toggle") return SearchRequest::kToggle;
    if (arg == "--start") return SearchRequest::kStart;
    if (arg == "--stop") return SearchRequest::kStop;
    return std::nullopt;
}

// Read before the application object exists, so --help and --version need no display.
Arguments ParseArguments(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            arguments.help = true;
        } else if (arg == "--version") {
            arguments.version = true;
        } else if (const auto request = RequestOption(arg); request && !arguments.request) {
            arguments.request = request;
        } else if (arg.starts_with("-") || arguments.file) {
            arguments.error = "unexpected argument '" + std::string(arg) + "'";
        } else {
            arguments.file = QString::fromLocal8Bit(argv[i]);
        }
    }
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    // A display that went away must show as a failed request, not kill the program in the
    // middle of a write to its socket.
    std::signal(SIGPIPE, SIG_IGN);
    glimtap::KeepQtMessagesQuiet();
    Arguments arguments = ParseArguments(argc, argv);
    if (arguments.request && arguments.file) {
        arguments.error = "a request to the running window takes no file";
    }
    if (arguments.error) {
        std::fprintf(stderr, "glimtap: %s\n%s", arguments.error->c_str(), kUsage);
        return 2;
    }
    if (arguments.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (arguments.request) {
        // Only the running window is asked: no display, no window of this process.
        const QCoreApplication application(argc, argv);
        try {
            glimtap::SendSearchRequest(*arguments.request);
        } catch (const glimtap::CommandChannelError& e) {
            std::fprintf(stderr, "glimtap: %s\n", e.what());
            return 1;
        }
        return 0;
    }
    // Opened before the windows, whose platform must be the backend's, and closed after them.
    // The desktop's consent is kept in the profile, shared with glimtap-cli.
    glimtap::ProfileConsentMemory consentMemory;
    const std::unique_ptr<glimtap::platform::BackendSet> backends =
        glimtap::platform::OpenBackends(&consentMemory);
    if (arguments.version) {
        std::printf("glimtap %s (backend: %s)\n", GLIMTAP_VERSION, backends->Summary().c_str());
        return 0;
    }
    if (const std::string missing = glimtap::platform::WindowDisplayMissing(*backends);
        !missing.empty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
                     "glimtap: there is no display to show the window on (%s): start it in a "
                     "desktop session, over `ssh -X`, or on a virtual screen with "
                     "`xvfb-run -a glimtap`\n",
                     missing.c_str());
        return 2;
    }
    const glimtap::DisplayLossExit displayLoss(backends->Geometry());
    // Capture and input go through the backend: the windows must live on the same desktop
    // (a Wayland window is invisible to X11 services, and the other way round).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", backends->QtPlatform());
    }
    // Everything works in physical pixels of the screen: scaled windows could not reach
    // every pixel of a match or of the search area.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication application(argc, argv);
    QApplication::setApplicationName("Glimtap");
    QApplication::setApplicationVersion(GLIMTAP_VERSION);
    // Ended by the session or Ctrl+C, the window still goes as it would when closed: its
    // socket is removed. No save prompt: nobody is there to answer it.
    const glimtap::SignalStop endOnSignal({SIGINT, SIGTERM},
                                          [](int signal) { QApplication::exit(128 + signal); });

    if (const std::optional<std::filesystem::path> dataHome = glimtap::platform::LocalDataFolder()) {
        const std::string program = QApplication::applicationFilePath().toStdString();
        glimtap::RefreshDesktopDatabases(*dataHome, glimtap::RegisterShellFileTypes(*dataHome, program));
    }

    glimtap::Profile profile;
    glimtap::CGlimtapApp app({profile, *backends, backends->AppLauncher()});
    if (!app.InitInstance(arguments.file)) return 1;
    app.ListenForCommands();
    return QApplication::exec();
}
