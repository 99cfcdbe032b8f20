#include <algorithm>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/process_setup.h"
#include "platform/backends.h"

namespace {

constexpr const char* kFindUsage = R"(Usage:
  glimtap-cli find --template FILE.bmp [--screen | --image SCREEN.bmp]
                   [--area LEFT,TOP,WIDTH,HEIGHT] [--tolerance N] [--max-matches N]
                   [--by-columns] [--repeat N] [--closest] [--json]

Searches the screen (or a bitmap standing in for it, its top-left pixel at screen 0,0)
for a template. Prints "X Y WIDTH HEIGHT" for each match. Only the part of the area on
the screen is searched; an area with no part on it is an error.
  --template     the picture to look for (.bmp, 24 or 32 bits per pixel)
  --screen       search the live screen (the default)
  --image        search this bitmap instead of the screen
  --area         the rectangle to search (default: the whole screen or image)
  --tolerance    per-channel colour tolerance, 0 to 255 (default 15)
  --max-matches  most matches to report, 0 for no bound (default 1)
  --by-columns   scan columns outer instead of rows outer
  --repeat       run the search N times; --json reports median times
  --closest      when nothing matched, say where the template came closest and which
                 tolerance would have matched there
  --json         one JSON object: matches, capture_ms, scan_ms (and closest)
Exit status: 0 matched, 1 nothing matched, 2 error.
)";

constexpr const char* kRunUsage = R"(Usage:
  glimtap-cli run FILE.GlimtapDataFile [--folder DIR] [--passes N] [--json] [--closest]
                  [--quiet]

Runs a search as the window does, with the data file's settings, each with the meaning it
has in the window, in range or not (a delay of 0 or less: no pause). Ends on auto-stop,
when no template loads, after --passes N passes, or on Ctrl+C. Shows
"Tried : N, Matched : M".
  --folder       the templates' folder (default: the file's stored folder, else the
                 document's default folder)
  --passes       stop after N passes (at least 1)
  --json         one JSON object per event (started, skipped, attempt, match, finished);
                 without it, each file that cannot be read is named on stderr
  --closest      with --json: each try that found nothing says where it came closest
  --quiet        print nothing
Exit status: 0 after a normal end, 2 on an error (the screen lost, say).
)";

constexpr const char* kSettingsUsage = R"(Usage:
  glimtap-cli settings FILE.GlimtapDataFile [--json]
  glimtap-cli settings FILE.GlimtapDataFile --set FIELD=VALUE [--set FIELD=VALUE ...]

Prints every stored field of a data file, or changes the named fields and writes the
file back (a missing file is first created with the defaults). New values must lie in
the field's range; values already in the file are kept as they are.
  --json         print the fields as one JSON object
  --set          FIELD=VALUE, FIELD one of: fileVersion areaLeft areaTop areaWidth
                 areaHeight autoStopCount autoStopEnabled speechAlerts overlayOnMatch
                 matchDelayMs tolerance targetFolder moveCursorToMatch touchAtMatch
                 executeEnabled executeFile executeVerb beepForSearch
)";

constexpr const char* kOtherUsage = R"(Usage:
  glimtap-cli find | run | settings ... (glimtap-cli COMMAND --help for each)
  glimtap-cli --help | -h | --version
)";

struct Command {
    std::string_view name;
    int (*run)(std::span<char* const>, std::ostream&);
    const char* usage;
};

constexpr Command kCommands[] = {
    {"find", glimtap::cli::RunFind, kFindUsage},
    {"run", glimtap::cli::RunRun, kRunUsage},
    {"settings", glimtap::cli::RunSettings, kSettingsUsage},
};

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

void PrintUsage(std::ostream& out) {
    for (const Command& command : kCommands) out << command.usage << '\n';
    out << kOtherUsage;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments = glimtap::cli::PrepareProcess(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    const std::span<char* const> args(pointers);
    const std::string_view name = args.empty() ? "" : args[0];
    try {
        for (const Command& command : kCommands) {
            if (command.name != name) continue;
            const auto rest = args.subspan(1);
            if (std::any_of(rest.begin(), rest.end(), IsHelp)) {
                std::cout << command.usage;
                return 0;
            }
            return command.run(rest, std::cout);
        }
        if (name == "--version") {
            std::cout << "glimtap-cli " << GLIMTAP_VERSION
                      << " (backend: " << glimtap::platform::OpenBackends()->Summary() << ")\n";
            return 0;
        }
        if (IsHelp(name)) {
            PrintUsage(std::cout);
            return 0;
        }
        std::cerr << (name.empty() ? "glimtap-cli: no command given\n"
                                   : "glimtap-cli: unknown command '" + std::string(name) + "'\n");
        PrintUsage(std::cerr);
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "glimtap-cli: " << e.what() << '\n';
        return 2;
    }
}
