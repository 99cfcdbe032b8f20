#include <csignal>
#include <iostream>
#include <span>
#include <string_view>

#include "cli/commands.h"

namespace {

constexpr const char* kUsage = R"(Usage:
  glimtap-cli find --template FILE.bmp [--screen | --image SCREEN.bmp]
                   [--area LEFT,TOP,WIDTH,HEIGHT] [--tolerance N] [--max-matches N]
                   [--by-columns] [--repeat N] [--json]
  glimtap-cli settings FILE.GlimtapDataFile [--json]
  glimtap-cli settings FILE.GlimtapDataFile --set FIELD=VALUE [--set FIELD=VALUE ...]
  glimtap-cli run FILE.GlimtapDataFile [--folder DIR] [--passes N] [--json] [--quiet]
  glimtap-cli --help | -h | --version

find      Searches the screen (or a bitmap standing in for it, its top-left pixel at
          screen 0,0) for a template. Prints "X Y WIDTH HEIGHT" for each match.
          --template     the picture to look for (.bmp)
          --screen       search the live X screen (the default)
          --image        search this bitmap instead of the screen
          --area         the rectangle to search (default: the whole screen or image)
          --tolerance    per-channel colour tolerance (default 15)
          --max-matches  most matches to report, 0 for no bound (default 1)
          --by-columns   scan columns outer instead of rows outer
          --repeat       run the search N times; --json reports median times
          --json         one JSON object: matches, capture_ms, scan_ms
          Exit status: 0 matched, 1 nothing matched, 2 error.
run       Runs a search as the window does, with the data file's settings. Ends on
          auto-stop, when no template loads, after --passes N passes, or on Ctrl+C.
          Shows "Tried : N, Matched : M".
          --folder       the templates' folder (default: the file's stored folder, else
                         the document's default folder)
          --passes       stop after N passes
          --json         one JSON object per event (started, attempt, match, finished)
          --quiet        print nothing
          Exit status: 0 after a normal end, 2 on an error (the X server lost, say).
settings  Prints every stored field of a data file, or changes the named fields and
          writes the file back (a missing file is first created with the defaults).
          --json         print the fields as one JSON object
          --set          FIELD=VALUE, FIELD one of: fileVersion areaLeft areaTop
                         areaWidth areaHeight autoStopCount autoStopEnabled speechAlerts
                         overlayOnMatch matchDelayMs tolerance targetFolder
                         moveCursorToMatch touchAtMatch executeEnabled executeFile
                         executeVerb beepForSearch
--help    this text; --version the program's version.
)";

}  // namespace

int main(int argc, char** argv) {
    // A display that went away must show as a failed request, which the capture reports,
    // not kill the program in the middle of a write to its socket.
    std::signal(SIGPIPE, SIG_IGN);
    const std::span<char* const> args(argv + 1, argc > 0 ? argc - 1 : 0);
    const std::string_view command = args.empty() ? "" : args[0];
    try {
        if (command == "find") return glimtap::cli::RunFind(args.subspan(1), std::cout);
        if (command == "run") return glimtap::cli::RunRun(args.subspan(1), std::cout);
        if (command == "settings") return glimtap::cli::RunSettings(args.subspan(1), std::cout);
        if (command == "--version") {
            std::cout << "glimtap-cli " << GLIMTAP_VERSION << '\n';
            return 0;
        }
        if (command == "--help" || command == "-h") {
            std::cout << kUsage;
            return 0;
        }
        std::cerr << (command.empty() ? "glimtap-cli: no command given\n"
                                      : "glimtap-cli: unknown command '" + std::string(command) + "'\n")
                  << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "glimtap-cli: " << e.what() << '\n';
        return 2;
    }
}
