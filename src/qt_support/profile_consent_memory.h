#pragma once

#include <QSettings>
#include <QString>

#include "platform/consent_memory.h"

namespace glimtap {

// Keeps the desktop's screen-cast token in the window's profile (group "Settings", value
// "ScreenCastToken"), so the window and glimtap-cli share one consent.
class ProfileConsentMemory : public platform::ConsentMemory {
public:
    // The real profile: organisation "Tessaro", application "Glimtap".
    ProfileConsentMemory();
    // A profile in a file of its own, for tests.
    explicit ProfileConsentMemory(const QString& iniPath);

    std::string Recall() const override;
    void Remember(const std::string& token) override;

private:
    QSettings settings_;
};

}  // namespace glimtap
