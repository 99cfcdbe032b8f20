#include <QApplication>
#include <QByteArray>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>

#include "app/glimtap_app.h"
#include "app/shell_registration.h"
#include "platform/backends.h"
#include "platform/user_folders.h"
#include "ui/profile.h"

namespace {

constexpr const char* kUsage = R"(Usage: glimtap [FILE.GlimtapDataFile]
       glimtap --help | -h | --version

Watches a rectangle of the screen for small pictures and reacts when one shows up.
FILE          open this data file at start
--help, -h    this text
--version     the program's version
The window needs an X11 display ($DISPLAY).
)";

struct Arguments {
    std::optional<QString> file;
    bool help = false;
    bool version = false;
    std::optional<std::string> error;
};

// Read before the application object exists, so --help and --version need no display.
Arguments ParseArguments(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            arguments.help = true;
        } else if (arg == "--version") {
            arguments.version = true;
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
    const Arguments arguments = ParseArguments(argc, argv);
    if (arguments.error) {
        std::fprintf(stderr, "glimtap: %s\n%s", arguments.error->c_str(), kUsage);
        return 2;
    }
    if (arguments.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    // Opened before the windows, whose platform must be the backend's, and closed after them.
    const std::unique_ptr<glimtap::platform::BackendSet> backends = glimtap::platform::OpenBackends();
    if (arguments.version) {
        std::printf("glimtap %s (backend: %s)\n", GLIMTAP_VERSION, backends->Name().c_str());
        return 0;
    }
    // Capture and input go through the backend: the windows must live on the same desktop
    // (a Wayland window is invisible to X11 services, and the other way round).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", backends->Name() == "wayland" ? "wayland" : "xcb");
    }
    // Everything works in physical pixels of the screen: scaled windows could not reach
    // every pixel of a match or of the search area.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication application(argc, argv);
    QApplication::setApplicationName("Glimtap");
    QApplication::setApplicationVersion(GLIMTAP_VERSION);

    if (const std::optional<std::filesystem::path> dataHome = glimtap::platform::LocalDataFolder()) {
        const std::string program = QApplication::applicationFilePath().toStdString();
        glimtap::RefreshDesktopDatabases(*dataHome, glimtap::RegisterShellFileTypes(*dataHome, program));
    }

    glimtap::Profile profile;
    glimtap::CGlimtapApp app({profile, *backends, backends->AppLauncher()});
    if (!app.InitInstance(arguments.file)) return 1;
    return QApplication::exec();
}
