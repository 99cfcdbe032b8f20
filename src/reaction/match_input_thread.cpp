#include "reaction/match_input_thread.h"

namespace glimtap {

MatchInputThread::MatchInputThread(MatchResponder& responder)
    : responder_(responder), thread_([this] { Run(); }) {}

MatchInputThread::~MatchInputThread() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void MatchInputThread::Post(const MatchReport& match, const SearchSettings& settings) {
    {
        const std::lock_guard lock(mutex_);
        waiting_.emplace(match, settings);
    }
    wake_.notify_one();
}

void MatchInputThread::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || waiting_.has_value(); });
        if (stopping_) return;
        const std::pair<MatchReport, SearchSettings> job = std::move(*waiting_);
        waiting_.reset();
        lock.unlock();
        responder_.OnMatchFound(job.first, job.second);
        lock.lock();
    }
}

}  // namespace glimtap
