#include "app/recent_file_list.h"

namespace glimtap {
namespace {

const QString kSection = QStringLiteral("Recent File List");

QString EntryName(int index) { return kSection + QStringLiteral("/File%1").arg(index + 1); }

}  // namespace

RecentFileList::RecentFileList(Profile& profile) : m_rProfile(profile) {
    for (int i = 0; i < kSize; ++i) {
        const QString path = m_rProfile.settings().value(EntryName(i)).toString();
        if (!path.isEmpty() && !m_oEntries.contains(path)) m_oEntries.append(path);
    }
}

void RecentFileList::Add(const QString& path) {
    m_oEntries.removeAll(path);
    m_oEntries.prepend(path);
    while (m_oEntries.size() > kSize) m_oEntries.removeLast();
    Write();
}

void RecentFileList::Remove(int index) {
    if (index < 0 || index >= m_oEntries.size()) return;
    m_oEntries.removeAt(index);
    Write();
}

void RecentFileList::Write() {
    m_rProfile.Change([this](QSettings& store) {
        store.remove(kSection);
        for (int i = 0; i < m_oEntries.size(); ++i) store.setValue(EntryName(i), m_oEntries[i]);
        store.sync();
    });
}

}  // namespace glimtap
