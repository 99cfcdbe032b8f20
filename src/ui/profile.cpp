#include "ui/profile.h"

#include <QFile>

#include <filesystem>
#include <system_error>

namespace glimtap {

Profile::Profile() : settings_(QSettings::IniFormat, QSettings::UserScope, "Tessaro", "Glimtap") {}

Profile::Profile(const QString& iniPath) : settings_(iniPath, QSettings::IniFormat) {}

int32_t Profile::GetProfileInt(const QString& section, const QString& entry, int32_t defaultValue) const {
    bool ok = false;
    const int value = settings_.value(section + "/" + entry).toInt(&ok);
    return ok ? value : defaultValue;
}

void Profile::WriteProfileInt(const QString& section, const QString& entry, int32_t value) {
    Change([&](QSettings& store) { store.setValue(section + "/" + entry, value); });
}

void Profile::Change(const std::function<void(QSettings&)>& change) {
    // QSettings saves onto whatever a link at its file names; with the link gone it writes
    // a file of the profile's own. It writes only after a change, so before one is the time.
    const std::filesystem::path file = QFile::encodeName(settings_.fileName()).toStdString();
    std::error_code error;
    if (std::filesystem::is_symlink(file, error)) std::filesystem::remove(file, error);
    change(settings_);
}

}  // namespace glimtap
