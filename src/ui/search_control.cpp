#include "ui/search_control.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <chrono>
#include <system_error>
#include <utility>

#include "qt_support/application_thread.h"
#include "reaction/search_event_relay.h"

namespace glimtap {
namespace {

// The status bar shows the newest closest miss; more often than this no one could read it,
// and each one costs a few scans' time.
constexpr std::chrono::milliseconds kClosestEvery{250};

const QString kStartText = QStringLiteral("Start Image Search");

}  // namespace

SearchControl::SearchControl(SearchSettings& settings, SearchDisplay display, Speaker& speech,
                             SearchServices services, SearchReactions reactions)
    : settings_(settings), display_(display), speech_(speech), services_(std::move(services)),
      reactions_(std::move(reactions)), tally_(settings, reactions_.beep) {}

SearchControl::~SearchControl() {
    if (relay_) relay_->Detach();
    worker_.reset();
}

bool SearchControl::Start() {
    display_.progress.setRange(0, 0);
    tally_.Restart();
    display_.counter.setText(QStringLiteral("Starting"));
    // Reports still on their way from an earlier run must not count in this one.
    if (relay_) relay_->Detach();
    relay_ = std::make_shared<SearchEventRelay>(static_cast<SearchEventSink&>(*this), PostToApplication);
    try {
        worker_ = std::make_unique<SearchWorker>(settings_, SearchWorkerArgs{relay_, settings_.targetFolder, 0, kClosestEvery},
                                                 services_);
    } catch (const std::system_error&) {
        StopMarquee();
        return false;
    }
    display_.button.setText(QStringLiteral("Stop Image Search"));
    return true;
}

void SearchControl::Stop() {
    display_.button.setText(QStringLiteral("Stopping..."));
    display_.button.setEnabled(false);
    display_.button.repaint();
    // A worker waiting for room to report must not wait for this thread, which waits for it.
    relay_->StopHolding();
    worker_->RequestStop();
    const std::optional<std::string> lost = EndWorker();
    display_.button.setText(kStartText);
    display_.button.setEnabled(true);
    StopMarquee();
    if (lost) reactions_.screenLost(*lost);
}

std::optional<std::string> SearchControl::EndWorker() {
    worker_->Join();
    std::optional<std::string> lost = worker_->Failure();
    worker_.reset();
    return lost;
}

void SearchControl::OnTemplatesLoaded(int32_t) {}

void SearchControl::OnTemplateSkipped(const std::string& templateName, const std::string& reason) {
    reactions_.templateSkipped(templateName, reason);
}

void SearchControl::OnSearchAttempt(const std::string&) {
    tally_.CountTry();
    ShowCounters();
}

void SearchControl::OnMatchFound(const MatchReport& match) {
    reactions_.matchFound(match);
    tally_.CountMatch();
    ShowCounters();
}

void SearchControl::OnShowOverlay(const MatchReport& match) { reactions_.showOverlay(match); }

void SearchControl::OnClosestMiss(const std::string& templateName,
                                  const std::optional<ClosestMiss>& miss) {
    reactions_.closestMiss(templateName, miss);
}

void SearchControl::OnSearchFinished() {
    // The report is the worker's last act, so this wait is short.
    const std::optional<std::string> lost = worker_ ? EndWorker() : std::nullopt;
    display_.button.setText(kStartText);
    tally_.SayStopped(speech_);
    StopMarquee();
    if (lost) reactions_.screenLost(*lost);
}

void SearchControl::ShowCounters() {
    display_.counter.setText(QString::fromStdString(tally_.Text()));
}

void SearchControl::StopMarquee() {
    display_.progress.setRange(0, 100);
    display_.progress.setValue(0);
}

}  // namespace glimtap
