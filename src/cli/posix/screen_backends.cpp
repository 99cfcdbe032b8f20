#include "cli/screen_backends.h"

#include <condition_variable>
#include <mutex>

#include "cli/options.h"
#include "platform/backends.h"
#include "qt_support/profile_consent_memory.h"

namespace glimtap::cli {

ScreenBackends OpenScreenBackends(bool input) {
    ScreenBackends backends{std::make_unique<ProfileConsentMemory>(), nullptr};
    backends.set = platform::OpenBackends(backends.memory.get());
    platform::BackendSet& set = *backends.set;
    if (set.ScreenConsent() == platform::Consent::kNotNeeded) return backends;
    std::mutex mutex;
    std::condition_variable changed;
    set.OnChanged([&] {
        const std::lock_guard lock(mutex);
        changed.notify_all();
    });
    set.WantInput(input);
    set.AskConsent();
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return set.ScreenConsent() != platform::Consent::kAsking; });
    }
    set.OnChanged(nullptr);
    if (set.ScreenConsent() != platform::Consent::kGiven) throw CliError(set.Missing());
    return backends;
}

}  // namespace glimtap::cli
