#include "app/recent_file_list.h"

namespace glimtap {
namespace {

const QString kSection = QStringLiteral("Recent File List");

QString EntryName(int index) { return kSection + QStringLiteral("/File%1").arg(index + 1); }

}  // namespace

RecentFileList::RecentFileList(Profile& profile) : profile_(profile) {
    for (int i = 0; i < kSize; ++i) {
        const QString path = profile_.Store().value(EntryName(i)).toString();
        if (!path.isEmpty() && !entries_.contains(path)) entries_.append(path);
    }
}

void RecentFileList::Add(const QString& path) {
    entries_.removeAll(path);
    entries_.prepend(path);
    while (entries_.size() > kSize) entries_.removeLast();
    Write();
}

void RecentFileList::Remove(int index) {
    if (index < 0 || index >= entries_.size()) return;
    entries_.removeAt(index);
    Write();
}

void RecentFileList::Write() {
    profile_.Change([this](QSettings& store) {
        store.remove(kSection);
        for (int i = 0; i < entries_.size(); ++i) store.setValue(EntryName(i), entries_[i]);
        store.sync();
    });
}

}  // namespace glimtap
