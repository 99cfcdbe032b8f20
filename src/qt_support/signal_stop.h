#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <csignal>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace glimtap {

// Calls `onSignal` with the signal's number on the application thread when one of
// `signals` arrives, so the program can end between two events rather than in the middle
// of one. What each signal did before is put back at the end. One at a time.
class SignalStop : public QObject {
public:
    SignalStop(std::initializer_list<int> signals, std::function<void(int)> onSignal);
    ~SignalStop() override;

private:
    std::vector<int> signals_;
    std::function<void(int)> onSignal_;
    int pipe_[2] = {-1, -1};
    std::vector<struct sigaction> previous_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace glimtap
