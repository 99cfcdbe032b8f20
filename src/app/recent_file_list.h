#pragma once

#include <QString>
#include <QStringList>

#include "ui/profile.h"

namespace glimtap {

// The most recently opened or saved data files, newest first, kept in the profile.
class RecentFileList {
public:
    static constexpr int kSize = 4;

    // Reads the list from `profile`, which must outlive it.
    explicit RecentFileList(Profile& profile);

    const QStringList& Entries() const { return entries_; }
    // Puts `path` first, once; the oldest entry falls off a full list.
    void Add(const QString& path);
    void Remove(int index);

private:
    void Write();

    Profile& profile_;
    QStringList entries_;
};

}  // namespace glimtap
