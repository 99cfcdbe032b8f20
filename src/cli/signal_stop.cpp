#include "cli/signal_stop.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace glimtap::cli {
namespace {

// Signal handlers can only reach the write end of the pipe, through this one variable.
volatile std::sig_atomic_t writeEnd = -1;

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(writeEnd, &byte, 1);
}

}  // namespace

SignalStop::SignalStop(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    writeEnd = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(pipe_[0], buffer, sizeof buffer) > 0) {
        }
        onSignal_();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

SignalStop::~SignalStop() {
    if (notifier_) {
        for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
    }
    writeEnd = -1;
    notifier_.reset();
    for (const int fd : pipe_) {
        if (fd >= 0) ::close(fd);
    }
}

}  // namespace glimtap::cli
