#include "ui/profile.h"

namespace glimtap {

Profile::Profile() : settings_(QSettings::IniFormat, QSettings::UserScope, "Tessaro", "Glimtap") {}

Profile::Profile(const QString& iniPath) : settings_(iniPath, QSettings::IniFormat) {}

int32_t Profile::GetProfileInt(const QString& section, const QString& entry, int32_t defaultValue) const {
    bool ok = false;
    const int value = settings_.value(section + "/" + entry).toInt(&ok);
    return ok ? value : defaultValue;
}

void Profile::WriteProfileInt(const QString& section, const QString& entry, int32_t value) {
    settings_.setValue(section + "/" + entry, value);
}

}  // namespace glimtap
