#include "engine/search_worker.h"

#include <chrono>
#include <exception>
#include <vector>

#include "engine/find_template.h"
#include "engine/template_folder.h"
#include "platform/utf16.h"

namespace glimtap {
namespace {

struct NamedTemplate {
    std::string name;  // the file's name as the system spells it (not always UTF-8)
    TemplateImage image;
};

void Pause(const SearchSettings& settings, StopSignal& stop) {
    using namespace std::chrono;
    const int32_t delay = settings.matchDelayMs;
    if (delay <= 0) return;
    const auto now = steady_clock::now();
    const auto deadline = now + milliseconds(delay);
    stop.SleepUntil(deadline);
}

// When the next closest miss is due.
class ClosestPace {
public:
    explicit ClosestPace(std::optional<std::chrono::milliseconds> every) : every_(every) {}
    bool Due() const { return every_ && std::chrono::steady_clock::now() >= next_; }
    void Reported() { next_ = std::chrono::steady_clock::now() + *every_; }

private:
    std::optional<std::chrono::milliseconds> every_;
    std::chrono::steady_clock::time_point next_;
};

// True when the run is to end after this pass.
bool RunPass(const std::vector<NamedTemplate>& templates, const SearchSettings& settings,
             platform::ScreenCapture* capture, SearchEventSink& sink, StopSignal& stop,
             ClosestPace& pace, int32_t& total) {
    std::vector<MatchPoint> results;
    std::optional<ClosestMiss> closest;
    for (const auto& [name, templ] : templates) {
        if (stop.Requested()) return true;
        sink.OnSearchAttempt(name);
        const bool closestDue = pace.Due();
        if (!capture || !FindTemplateOnScreen(templ, results, settings, *capture,
                                              closestDue ? &closest : nullptr)) {
            if (closestDue) {
                sink.OnClosestMiss(name, capture ? closest : std::nullopt);
                pace.Reported();
            }
            continue;
        }
        for (const MatchPoint& point : results) {
            const MatchReport match{name, templ.width, templ.height, point};
            sink.OnMatchFound(match);
            if (settings.overlayOnMatch) sink.OnShowOverlay(match);
        }
        total += static_cast<int32_t>(results.size());
        if (settings.autoStopEnabled && total >= settings.autoStopCount) {
            stop.Request();
            return true;
        }
    }
    return false;
}

}  // namespace

void RunSearch(const SearchSettings& settings, const SearchWorkerArgs& args,
               const SearchServices& services, StopSignal& stop) {
    const std::unique_ptr<Speaker> speaker = services.makeSpeaker ? services.makeSpeaker() : nullptr;
    if (speaker && settings.speechAlerts) speaker->Speak(u"Started");

    std::vector<NamedTemplate> templates;
    std::vector<TemplateFile> skipped;
    std::error_code unlisted;  // what could be listed is searched for
    for (TemplateFile& file : ListTemplates(args.targetFolder, unlisted)) {
        if (!file.unreadable.empty()) {
            skipped.push_back(std::move(file));
            continue;
        }
        file.image.maxMatches = 1;
        file.image.tolerance = settings.tolerance;
        templates.push_back({PathString(file.path.filename()), std::move(file.image)});
    }
    args.sink->OnTemplatesLoaded(static_cast<int32_t>(templates.size()));
    for (const TemplateFile& file : skipped) {
        args.sink->OnTemplateSkipped(PathString(file.path.filename()), file.unreadable);
    }
    std::exception_ptr lost;
    if (!templates.empty() && !stop.Requested()) {
        try {
            const std::unique_ptr<platform::ScreenCapture> capture =
                services.openCapture ? services.openCapture() : nullptr;
            int32_t total = 0;
            ClosestPace pace(args.closestEvery);
            // A stop request also cuts the pause short, so nothing waits for it.
            for (int32_t pass = 1;; ++pass) {
                if (RunPass(templates, settings, capture.get(), *args.sink, stop, pace, total)) break;
                if (pass == args.passLimit) break;
                Pause(settings, stop);
                if (stop.Requested()) break;
            }
        } catch (const platform::ScreenLost&) {
            // Searching on would find nothing for ever.
            lost = std::current_exception();
        }
    }
    args.sink->OnSearchFinished();
    if (lost) std::rethrow_exception(lost);
}

SearchWorker::SearchWorker(const SearchSettings& settings, SearchWorkerArgs args,
                           SearchServices services)
    : thread_([this, &settings, args = std::move(args), services = std::move(services)] {
          try {
              RunSearch(settings, args, services, stop_);
          } catch (const platform::ScreenLost& e) {
              failure_ = e.what();
          }
      }) {}

SearchWorker::~SearchWorker() {
    RequestStop();
    Join();
}

void SearchWorker::Join() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace glimtap
