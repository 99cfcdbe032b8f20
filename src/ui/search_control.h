#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/run_tally.h"
#include "engine/search_events.h"
#include "engine/search_settings.h"
#include "engine/search_worker.h"
#include "engine/speaker.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace glimtap {

class SearchEventRelay;

// The controls a search run shows itself in.
struct SearchDisplay {
    QPushButton& button;    // "Start Image Search" / "Stop Image Search"
    QLabel& counter;        // "Starting", then "Tried : %d, Matched : %d"
    QProgressBar& progress; // busy while a run is on
};

// What a run's reports set off besides the counters.
struct SearchReactions {
    std::function<void(const MatchReport&)> matchFound;
    std::function<void(const MatchReport&)> showOverlay;
    std::function<void()> beep;
    // After each try that found nothing: where the template came closest, if anywhere.
    std::function<void(const std::string&, const std::optional<ClosestMiss>&)> closestMiss;
    // For each file of the folder that the run cannot search for: its name and why.
    std::function<void(const std::string&, const std::string&)> templateSkipped;
    // Once the display is idle again after a lost screen ended the run: why.
    std::function<void(const std::string&)> screenLost;
};

// Starts and stops the search worker and follows its run in the display: owns the worker,
// keeps the run's tally, and returns to idle when the worker reports its end. Reports
// reach it on the application thread, in order; those of a run replaced by a newer one, or
// arriving after the control is gone, are dropped.
class SearchControl : private SearchEventSink {
public:
    SearchControl(SearchSettings& settings, SearchDisplay display, Speaker& speech,
                  SearchServices services, SearchReactions reactions);
    // Stops a running worker and waits for it: at most the rest of one template's try.
    ~SearchControl() override;
    SearchControl(const SearchControl&) = delete;
    SearchControl& operator=(const SearchControl&) = delete;

    // True from a start until the worker has been waited for.
    bool IsRunning() const { return worker_ != nullptr; }

    // Starts a run on the settings' target folder. False when the worker's thread could
    // not be started; the display is idle again then.
    bool Start();
    // Asks the worker to stop and waits for it; its last reports still arrive afterwards.
    void Stop();

    int32_t Tried() const { return tally_.Tried(); }
    int32_t Matched() const { return tally_.Matched(); }

private:
    void OnTemplatesLoaded(int32_t count) override;
    void OnTemplateSkipped(const std::string& templateName, const std::string& reason) override;
    void OnSearchAttempt(const std::string& templateName) override;
    void OnMatchFound(const MatchReport& match) override;
    void OnShowOverlay(const MatchReport& match) override;
    void OnClosestMiss(const std::string& templateName, const std::optional<ClosestMiss>& miss) override;
    void OnSearchFinished() override;

    void ShowCounters();
    void StopMarquee();
    // Waits for the worker, lets it go and returns why a lost screen ended its run, if it did.
    std::optional<std::string> EndWorker();

    SearchSettings& settings_;
    SearchDisplay display_;
    Speaker& speech_;
    SearchServices services_;
    SearchReactions reactions_;
    RunTally tally_;
    std::shared_ptr<SearchEventRelay> relay_;
    std::unique_ptr<SearchWorker> worker_;
};

}  // namespace glimtap
