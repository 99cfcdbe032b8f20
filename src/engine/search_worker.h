#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "engine/search_events.h"
#include "engine/search_settings.h"
#include "engine/speaker.h"
#include "engine/stop_signal.h"
#include "platform/screen_capture.h"

namespace glimtap {

// What one run is given: where it reports, and its own copy of the template folder.
struct SearchWorkerArgs {
    std::shared_ptr<SearchEventSink> sink;
    std::filesystem::path targetFolder;
    int32_t passLimit = 0;  // 0: until stopped
    // Whether tries that find nothing report their closest miss: not when unset, else at most
    // once in this time (zero: every one). Each costs a few scans' time.
    std::optional<std::chrono::milliseconds> closestEvery = std::nullopt;
};

// The desktop services a run opens for itself, on its own thread.
struct SearchServices {
    // May return null when no screen can be captured: every try then finds nothing.
    std::function<std::unique_ptr<platform::ScreenCapture>()> openCapture;
    std::function<std::unique_ptr<Speaker>()> makeSpeaker;
};

// One whole search run on the calling thread: speaks "Started" when speech alerts are on,
// loads the folder's templates (and reports the files it skips), runs passes until `stop` is
// requested (auto-stop requests it too) or the pass limit is reached, and reports
// OnSearchFinished last. Settings are read
// live at fixed moments. A lost screen ends the run too: after OnSearchFinished, the
// platform::ScreenLost is thrown on.
void RunSearch(const SearchSettings& settings, const SearchWorkerArgs& args,
               const SearchServices& services, StopSignal& stop);

// Runs RunSearch on a thread of its own. Destroying it stops the run and waits for it,
// which takes at most the rest of one template's try.
class SearchWorker {
public:
    // Throws std::system_error when the thread cannot be started.
    SearchWorker(const SearchSettings& settings, SearchWorkerArgs args, SearchServices services);
    ~SearchWorker();
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    void RequestStop() { stop_.Request(); }
    // Waits for the run to end.
    void Join();
    // After Join: why the run ended when a lost screen ended it, else nullopt.
    const std::optional<std::string>& Failure() const { return failure_; }

private:
    StopSignal stop_;
    std::optional<std::string> failure_;  // set by the run's thread before it ends
    std::thread thread_;
};

}  // namespace glimtap
