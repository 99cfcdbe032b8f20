#include "qt_support/signal_stop.h"

#include <fcntl.h>
#include <unistd.h>

namespace glimtap {
namespace {

// Signal handlers can only reach the write end of the pipe, through this one variable.
volatile std::sig_atomic_t writeEnd = -1;

void OnSignal(int signal) {
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t ignored = ::write(writeEnd, &byte, 1);
}

}  // namespace

SignalStop::SignalStop(std::initializer_list<int> signals, std::function<void(int)> onSignal)
    : signals_(signals), onSignal_(std::move(onSignal)), previous_(signals_.size()) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    writeEnd = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char buffer[16];
        ssize_t count = 0;
        for (ssize_t n; (n = ::read(pipe_[0], buffer, sizeof buffer)) > 0;) count = n;
        if (count > 0) onSignal_(buffer[count - 1]);
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < signals_.size(); ++i) sigaction(signals_[i], &action, &previous_[i]);
}

SignalStop::~SignalStop() {
    if (notifier_) {
        for (size_t i = 0; i < signals_.size(); ++i) sigaction(signals_[i], &previous_[i], nullptr);
    }
    writeEnd = -1;
    notifier_.reset();
    for (const int fd : pipe_) {
        if (fd >= 0) ::close(fd);
    }
}

}  // namespace glimtap
