#include "qt_support/profile_consent_memory.h"

#include <QFile>
#include <filesystem>
#include <system_error>

namespace glimtap {
namespace {

const char* const kTokenKey = "Settings/ScreenCastToken";

}  // namespace

ProfileConsentMemory::ProfileConsentMemory()
    : settings_(QSettings::IniFormat, QSettings::UserScope, "Tessaro", "Glimtap") {}

ProfileConsentMemory::ProfileConsentMemory(const QString& iniPath)
    : settings_(iniPath, QSettings::IniFormat) {}

std::string ProfileConsentMemory::Recall() const {
    return settings_.value(kTokenKey).toString().toStdString();
}

void ProfileConsentMemory::Remember(const std::string& token) {
    // As the profile does: never written through a symbolic link found at its file.
    const std::filesystem::path file = QFile::encodeName(settings_.fileName()).toStdString();
    std::error_code error;
    if (std::filesystem::is_symlink(file, error)) std::filesystem::remove(file, error);
    if (token.empty()) {
        settings_.remove(kTokenKey);
    } else {
        settings_.setValue(kTokenKey, QString::fromStdString(token));
    }
    // Kept at once: a command line run may end without an event loop.
    settings_.sync();
}

}  // namespace glimtap
