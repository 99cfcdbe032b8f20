#pragma once

#include <QSettings>
#include <QString>

#include <cstdint>

namespace glimtap {

// The application profile: integers kept across runs per section and entry, in the
// user's configuration folder (INI format).
class Profile {
public:
    // The real profile: organisation "Tessaro", application "Glimtap".
    Profile();
    // A profile in a file of its own, for tests.
    explicit Profile(const QString& iniPath);

    int32_t GetProfileInt(const QString& section, const QString& entry, int32_t defaultValue) const;
    void WriteProfileInt(const QString& section, const QString& entry, int32_t value);

    // The underlying store, for lists such as the recent files.
    QSettings& settings() { return settings_; }

private:
    QSettings settings_;
};

}  // namespace glimtap
