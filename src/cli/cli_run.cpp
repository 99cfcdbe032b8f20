#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <optional>

#include "cli/closest_text.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/signal_stop.h"
#include "engine/data_file.h"
#include "engine/search_worker.h"
#include "engine/target_folder.h"
#include "engine/utf16.h"
#include "platform/backends.h"
#include "platform/user_folders.h"
#include "response/match_actions.h"
#include "response/search_beep.h"
#include "response/search_event_relay.h"
#include "response/speech_alert.h"

namespace glimtap::cli {
namespace {

struct RunOptions {
    std::string dataFile;
    std::string folder;
    int32_t passes = 0;
    bool json = false;
    bool quiet = false;
    bool closest = false;  // --json: each attempt that found nothing says where it came closest
};

RunOptions ParseRunOptions(std::span<char* const> args) {
    RunOptions o;
    ArgumentList list(args);
    while (!list.Done()) {
        const std::string_view arg = list.Next();
        if (arg == "--folder") {
            o.folder = list.ValueOf(arg);
        } else if (arg == "--passes") {
            o.passes = ParseInt32(list.ValueOf(arg), arg);
            if (o.passes < 1) throw CliError("--passes must be at least 1");
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else if (arg == "--closest") {
            o.closest = true;
        } else if (arg.starts_with("--") || !o.dataFile.empty()) {
            throw CliError("run: unknown argument '" + std::string(arg) + "'");
        } else {
            o.dataFile = arg;
        }
    }
    if (o.dataFile.empty()) throw CliError("run needs a data file");
    return o;
}

// --folder, else the stored folder when it is one, else the document's default folder.
std::u16string ChooseFolder(const RunOptions& options, const DataFile& data) {
    std::error_code error;
    if (!options.folder.empty()) {
        if (!std::filesystem::is_directory(options.folder, error)) {
            throw CliError("template folder '" + options.folder + "' does not exist");
        }
        return FromUtf8(options.folder);
    }
    const std::u16string& stored = data.settings.targetFolder;
    if (!stored.empty() && std::filesystem::is_directory(ToPath(stored), error)) return stored;
    const std::filesystem::path title = std::filesystem::path(options.dataFile).filename();
    const std::u16string folder = DefaultTargetFolder(platform::LocalDataFolder(), FromPath(title));
    if (folder.empty()) throw CliError("cannot create the default template folder for '" + options.dataFile + "'");
    return folder;
}

// Handles a run's reports on the application thread, as the window does, and tells the
// user what happens.
class RunReporter : public SearchEventSink {
public:
    RunReporter(const RunOptions& options, const SearchSettings& settings, MatchActions& actions,
                std::ostream& out)
        : options_(options), settings_(settings), actions_(actions), out_(out),
          liveStatus_(!options.json && !options.quiet && ::isatty(STDOUT_FILENO)) {}

    std::function<void()> onFinished;

    void OnTemplatesLoaded(int32_t count) override {
        if (options_.json) out_ << "{\"event\":\"started\",\"templates\":" << count << "}\n" << std::flush;
    }

    void OnSearchAttempt(const std::string& templateName) override {
        ++tried_;
        FlushAttempt();
        if (options_.json) {
            // With --closest the line waits for the try's outcome.
            pendingAttempt_ = templateName;
            if (!options_.closest) FlushAttempt();
        }
        ShowStatus();
        if (settings_.beepForSearch) PlaySearchBeep();
    }

    void OnMatchFound(const MatchReport& match) override {
        FlushAttempt();
        const std::optional<platform::Point> point = actions_.OnMatchFound(match, settings_);
        ++matched_;
        if (options_.json) {
            out_ << "{\"event\":\"match\",\"template\":" << JsonString(match.templateName)
                 << ",\"x\":" << match.location.x << ",\"y\":" << match.location.y
                 << ",\"width\":" << match.width << ",\"height\":" << match.height << ",\"point\":";
            if (point) {
                out_ << '[' << point->x << ',' << point->y << ']';
            } else {
                out_ << "null";
            }
            out_ << "}\n" << std::flush;
        }
        ShowStatus();
    }

    void OnShowOverlay(const MatchReport&) override {}

    void OnClosestMiss(const std::string&, const std::optional<ClosestMiss>& miss) override {
        FlushAttempt(miss);
    }

    void OnSearchFinished() override {
        FlushAttempt();
        if (options_.json) {
            out_ << "{\"event\":\"finished\",\"tried\":" << tried_ << ",\"matched\":" << matched_ << "}\n";
        } else if (!options_.quiet) {
            if (!liveStatus_) out_ << Status();
            out_ << '\n';
        }
        out_ << std::flush;
        onFinished();
    }

private:
    void FlushAttempt(const std::optional<ClosestMiss>& closest = std::nullopt) {
        if (!pendingAttempt_) return;
        out_ << "{\"event\":\"attempt\",\"template\":" << JsonString(*pendingAttempt_);
        if (closest) out_ << ",\"closest\":" << ClosestJson(*closest);
        out_ << "}\n" << std::flush;
        pendingAttempt_.reset();
    }

    std::string Status() const {
        char text[64];
        std::snprintf(text, sizeof text, "Tried : %d, Matched : %d", tried_, matched_);
        return text;
    }

    void ShowStatus() {
        if (liveStatus_) out_ << '\r' << Status() << std::flush;
    }

    const RunOptions& options_;
    const SearchSettings& settings_;
    MatchActions& actions_;
    std::ostream& out_;
    const bool liveStatus_;
    int32_t tried_ = 0;
    int32_t matched_ = 0;
    std::optional<std::string> pendingAttempt_;
};

}  // namespace

int RunRun(std::span<char* const> args, std::ostream& out) {
    const RunOptions options = ParseRunOptions(args);
    DataFile data;
    try {
        LoadDataFile(options.dataFile, data);
    } catch (const DataFileError& e) {
        throw CliError(e.what());
    }
    const std::u16string folder = ChooseFolder(options, data);

    // Opened here, where it can say clearly why there is no screen to search, and handed
    // to the run: a screen lost later is then reported as lost.
    std::unique_ptr<platform::ScreenCapture> capture;
    std::unique_ptr<platform::Pointer> pointer;
    std::unique_ptr<platform::TouchInjector> touch;
    try {
        capture = platform::OpenScreenCapture();
        pointer = platform::OpenPointer();
        touch = platform::OpenTouchInjector();
    } catch (const platform::Unavailable& e) {
        throw CliError(e.what());
    }
    const std::unique_ptr<platform::Launcher> launcher = platform::OpenLauncher();
    MatchActions actions(*pointer, *touch, *launcher);

    int argc = 1;
    char name[] = "glimtap-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    CSpeechAlert speech;
    RunReporter reporter(options, data.settings, actions, out);
    const auto relay = std::make_shared<SearchEventRelay>(reporter);
    SearchServices services{[&capture] { return std::move(capture); },
                            [] { return std::make_unique<CSpeechAlert>(); }};
    SearchWorker worker(data.settings, {relay, folder, options.passes, options.closest}, std::move(services));
    SignalStop stopOnSignal([&worker] { worker.RequestStop(); });
    reporter.onFinished = [&] {
        worker.Join();
        // Give the last word time to be heard before the process goes.
        const bool speak = data.settings.speechAlerts && speech.Speak(u"Stopped");
        QTimer::singleShot(speak ? 1200 : 0, &application, &QCoreApplication::quit);
    };
    application.exec();
    relay->Detach();
    if (worker.Failure()) throw CliError(*worker.Failure());
    return 0;
}

}  // namespace glimtap::cli
