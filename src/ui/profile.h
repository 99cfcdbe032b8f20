#pragma once

#include <QSettings>
#include <QString>

#include <cstdint>
#include <functional>

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
    const QSettings& Store() const { return settings_; }
    // Every change goes through here: the store is never written through a symbolic link
    // found at the profile's file.
    void Change(const std::function<void(QSettings&)>& change);

private:
    QSettings settings_;
};

}  // namespace glimtap
