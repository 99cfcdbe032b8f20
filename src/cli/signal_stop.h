#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <csignal>

#include <functional>
#include <iterator>
#include <memory>

namespace glimtap::cli {

// Calls `onSignal` on the application thread when SIGINT or SIGTERM arrives, so the
// run can be stopped between two events rather than in the middle of one; also when
// SIGPIPE does: nobody reads what the run prints any more.
class SignalStop : public QObject {
public:
    explicit SignalStop(std::function<void()> onSignal);
    ~SignalStop() override;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGPIPE};

    std::function<void()> onSignal_;
    int pipe_[2] = {-1, -1};
    // What each signal did before, put back at the end.
    struct sigaction previous_[std::size(kSignals)] = {};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace glimtap::cli
