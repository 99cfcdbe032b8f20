#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/utf16.h"
#include "platform/launcher.h"

namespace glimtap::test {

// Notes what it is asked to open instead of opening it: no desktop here has a browser or
// file manager to start. Matches launch from a thread of their own, so the notes are locked.
class RecordingLauncher : public platform::Launcher {
public:
    struct Call {
        std::string verb;
        std::string file;
        friend bool operator==(const Call&, const Call&) = default;
    };

    bool Launch(std::u16string_view verb, std::u16string_view file, std::string* error) override {
        const std::lock_guard lock(mutex_);
        calls_.push_back({ToUtf8(verb), ToUtf8(file)});
        if (failure.empty()) return true;
        if (error != nullptr) *error = failure;
        return false;
    }

    std::vector<Call> Calls() const {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

    // When set, every launch fails with this reason.
    std::string failure;

private:
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};

}  // namespace glimtap::test
