#pragma once

#include <memory>
#include <string>

#include "platform/backends.h"
#include "platform/consent_memory.h"
#include "support/run_process.h"

namespace glimtap::bench {

// Keeps in memory what the desktop hands out, starting from tests/with-gnome's restore token.
class TokenMemory : public platform::ConsentMemory {
public:
    std::string Recall() const override;
    void Remember(const std::string& token) override { token_ = token, remembered_ = true; }

private:
    std::string token_;
    bool remembered_ = false;
};

// The backends as the program opens them. On a desktop that asks its user (the portal):
// with the screen cast consent given before and awaited, its first frame arrived, and the
// tests' full-screen client showing its picture as long as the set lives. Null set when
// the consent or the frame fails.
struct ConsentedBackends {
    TokenMemory memory;  // outlives the set
    std::unique_ptr<test::ChildProcess> picture;
    std::unique_ptr<platform::BackendSet> set;
};
std::unique_ptr<ConsentedBackends> OpenConsentedBackends();

}  // namespace glimtap::bench
