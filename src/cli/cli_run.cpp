#include <chrono>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <utility>

#include "cli/closest_text.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/run_desktop.h"
#include "cli/screen_backends.h"
#include "engine/area_on_screen.h"
#include "engine/data_file.h"
#include "engine/run_tally.h"
#include "engine/search_worker.h"
#include "engine/target_folder.h"
#include "platform/user_folders.h"
#include "platform/utf16.h"
#include "reaction/match_responder.h"
#include "reaction/search_event_relay.h"
#include "response/audio_output.h"

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
            o.passes = ParseInt32(list.ValueOf(arg), arg, 1);
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
std::filesystem::path ChooseFolder(const RunOptions& options, const DataFile& data) {
    std::error_code error;
    if (!options.folder.empty()) {
        const std::filesystem::path folder = PathFromString(options.folder);
        if (std::filesystem::is_directory(folder, error)) return folder;
        const bool exists = std::filesystem::exists(folder, error);
        throw CliError("template folder '" + options.folder +
                       (exists ? "' is not a folder" : "' does not exist"));
    }
    const std::filesystem::path& stored = data.settings.targetFolder;
    if (!stored.empty() && std::filesystem::is_directory(stored, error)) return stored;
    const std::filesystem::path title = PathFromString(options.dataFile).filename();
    const std::filesystem::path folder = DefaultTargetFolder(platform::LocalDataFolder(), title);
    if (folder.empty()) throw CliError("cannot create the default template folder for '" + options.dataFile + "'");
    return folder;
}

// Sounds are asked for but cannot be heard: said once, rather than failing quietly.
void TellWhenSoundsAreOff(const SearchSettings& settings, const RunOptions& options,
                          RunDesktop& desktop) {
    if (options.quiet || (settings.beepForSearch == 0 && settings.speechAlerts == 0)) return;
    if (desktop.Mute()) std::cerr << "glimtap-cli: " << kNoAudioOutputText << '\n';
}

// Handles a run's reports on the application thread, as the window does, and tells the
// user what happens.
class RunReporter : public SearchEventSink {
public:
    RunReporter(const RunOptions& options, const SearchSettings& settings, MatchResponder& responder,
                std::string backend, std::ostream& out, std::function<void()> beep)
        : options_(options), settings_(settings), responder_(responder),
          backend_(std::move(backend)), out_(out), tally_(settings, std::move(beep)),
          liveStatus_(!options.json && !options.quiet && OutputIsTerminal()) {}

    std::function<void()> onFinished;
    const RunTally& Tally() const { return tally_; }

    void OnTemplatesLoaded(int32_t count) override {
        if (options_.json) {
            Print(JsonObject().Text("event", "started").Text("backend", backend_).Int("templates", count));
        }
    }

    void OnTemplateSkipped(const std::string& templateName, const std::string& reason) override {
        if (options_.json) {
            Print(JsonObject().Text("event", "skipped").Text("template", templateName).Text("reason", reason));
        } else if (!options_.quiet) {
            std::cerr << "glimtap-cli: skipped '" << templateName << "': " << reason << '\n';
        }
    }

    void OnSearchAttempt(const std::string& templateName) override {
        tally_.CountTry();
        FlushAttempt();
        if (options_.json) {
            // With --closest the line waits for the try's outcome.
            pendingAttempt_ = templateName;
            if (!options_.closest) FlushAttempt();
        }
        ShowStatus();
    }

    void OnMatchFound(const MatchReport& match) override {
        FlushAttempt();
        const std::optional<platform::Point> point = responder_.OnMatchFound(match, settings_);
        tally_.CountMatch();
        if (options_.json) {
            Print(JsonObject()
                      .Text("event", "match")
                      .Text("template", match.templateName)
                      .Int("x", match.location.x)
                      .Int("y", match.location.y)
                      .Int("width", match.width)
                      .Int("height", match.height)
                      .Raw("point", point ? "[" + std::to_string(point->x) + "," +
                                                std::to_string(point->y) + "]"
                                          : "null"));
        }
        ShowStatus();
    }

    void OnShowOverlay(const MatchReport& match) override { responder_.OnShowOverlay(match); }

    void OnClosestMiss(const std::string&, const std::optional<ClosestMiss>& miss) override {
        FlushAttempt(miss);
    }

    void OnSearchFinished() override {
        FlushAttempt();
        if (options_.json) {
            Print(JsonObject().Text("event", "finished").Int("tried", tally_.Tried()).Int("matched", tally_.Matched()));
        } else if (!options_.quiet) {
            if (!liveStatus_) out_ << tally_.Text();
            out_ << '\n';
        }
        out_ << std::flush;
        onFinished();
    }

private:
    void Print(const JsonObject& event) { out_ << event.Close() << '\n' << std::flush; }
    void FlushAttempt(const std::optional<ClosestMiss>& closest = std::nullopt) {
        if (!pendingAttempt_) return;
        JsonObject event;
        event.Text("event", "attempt").Text("template", *pendingAttempt_);
        if (closest) event.Raw("closest", ClosestJson(*closest));
        Print(event);
        pendingAttempt_.reset();
    }

    void ShowStatus() {
        if (liveStatus_) out_ << '\r' << tally_.Text() << std::flush;
    }

    const RunOptions& options_;
    const SearchSettings& settings_;
    MatchResponder& responder_;
    const std::string backend_;  // the platform serving the run, for "started"
    std::ostream& out_;
    RunTally tally_;
    const bool liveStatus_;
    std::optional<std::string> pendingAttempt_;
};

}  // namespace

int RunRun(std::span<char* const> args, std::ostream& out) {
    const RunOptions options = ParseRunOptions(args);
    DataFile data;
    try {
        LoadDataFile(PathFromString(options.dataFile), data);
    } catch (const DataFileError& e) {
        throw CliError(e.what());
    }
    const std::filesystem::path folder = ChooseFolder(options, data);

    // Opened here, where it can say clearly why there is no screen to search, and handed
    // to the run: a screen lost later is then reported as lost.
    const bool input = data.settings.moveCursorToMatch != 0 || data.settings.touchAtMatch != 0;
    const ScreenBackends opened = OpenScreenBackends(input);
    const std::unique_ptr<platform::BackendSet>& backends = opened.set;
    std::unique_ptr<platform::ScreenCapture> capture = backends->OpenCapture();
    if (capture == nullptr) throw CliError("no screen available: " + backends->Missing());
    if (const auto offScreen = AreaOffScreen(data.settings.Area(), backends->Geometry().VirtualScreen())) {
        throw CliError(*offScreen);
    }
    // Only what the settings use has to be there.
    platform::Pointer* pointer = backends->MousePointer();
    platform::TouchInjector* touch = data.settings.touchAtMatch != 0 ? backends->Touch() : nullptr;
    if ((data.settings.moveCursorToMatch != 0 && pointer == nullptr) ||
        (data.settings.touchAtMatch != 0 && touch == nullptr)) {
        const std::string missing = backends->Missing();
        throw CliError("no pointer available: " +
                       (missing.empty() ? "this desktop lets no program drive its pointer" : missing));
    }

    const std::unique_ptr<RunDesktop> desktop = RunDesktop::Open(data.settings, *backends);
    TellWhenSoundsAreOff(data.settings, options, *desktop);
    if (data.settings.overlayOnMatch != 0 && desktop->Markers() == nullptr && !options.quiet) {
        std::cerr << "glimtap-cli: this desktop cannot show markers, so markers are off\n";
    }
    MatchResponder responder(pointer, touch, backends->AppLauncher(), desktop->Markers());
    const std::unique_ptr<Speaker> speech = desktop->MakeSpeaker();
    RunReporter reporter(options, data.settings, responder, backends->Name(), out,
                         [&desktop] { desktop->Beep(); });
    const auto relay = std::make_shared<SearchEventRelay>(
        reporter, [&desktop](std::function<void()> work) { return desktop->Post(std::move(work)); });
    SearchServices services{[&capture] { return std::move(capture); },
                            [&desktop] { return desktop->MakeSpeaker(); }};
    // Each attempt that found nothing says where it came closest, when asked.
    const std::optional<std::chrono::milliseconds> closestEvery =
        options.closest ? std::optional(std::chrono::milliseconds{0}) : std::nullopt;
    SearchWorker worker(data.settings, {relay, folder, options.passes, closestEvery},
                        std::move(services));
    reporter.onFinished = [&] {
        worker.Join();
        // Give the last word time to be heard before the process goes.
        const bool speak = reporter.Tally().SayStopped(*speech);
        desktop->Quit(std::chrono::milliseconds(speak ? 1200 : 0));
    };
    desktop->Exec([&worker] { worker.RequestStop(); });
    relay->Detach();
    if (worker.Failure()) throw CliError(*worker.Failure());
    return 0;
}

}  // namespace glimtap::cli
