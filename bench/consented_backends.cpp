#include "consented_backends.h"

#include <cstdlib>

#include "support/poll_until.h"

namespace glimtap::bench {

std::string TokenMemory::Recall() const {
    const char* given = std::getenv("GLIMTAP_GNOME_TOKEN");
    return remembered_ || given == nullptr ? token_ : given;
}

std::unique_ptr<ConsentedBackends> OpenConsentedBackends() {
    auto opened = std::make_unique<ConsentedBackends>();
    opened->set = platform::OpenBackends(&opened->memory);
    platform::BackendSet& set = *opened->set;
    if (set.ScreenConsent() == platform::Consent::kNotNeeded) return opened;
    opened->picture = std::make_unique<test::ChildProcess>(std::vector<std::string>{GNOME_TEST_CLIENT});
    set.AskConsent();
    const bool given = test::PollUntil([&] {
        return opened->picture->OutputSoFar().find("shown") != std::string::npos &&
               set.ScreenConsent() == platform::Consent::kGiven;
    });
    // The stream's first frame, which the desktop sends a moment after its start.
    const std::unique_ptr<platform::ScreenCapture> capture = given ? set.OpenCapture() : nullptr;
    if (capture == nullptr || !test::PollUntil([&] { return capture->Capture({0, 0, 1, 1}).has_value(); })) {
        opened->set.reset();
    }
    return opened;
}

}  // namespace glimtap::bench
