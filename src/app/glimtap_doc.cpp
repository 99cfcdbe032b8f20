#include "app/glimtap_doc.h"

#include "engine/data_file.h"
#include "engine/utf16.h"

namespace glimtap {

std::u16string CGlimtapDoc::GetTitle() const {
    return m_oPath.empty() ? u"Untitled" : FromPath(m_oPath.filename());
}

void CGlimtapDoc::OnNewDocument(SearchSettings& settings, const platform::Desktop& desktop) {
    m_oPath.clear();
    settings.ResetToDefaults(desktop);
}

void CGlimtapDoc::OnOpenDocument(const std::filesystem::path& path, SearchSettings& settings) {
    DataFile data{m_nFileVersion, settings};
    LoadDataFile(path, data);
    m_nFileVersion = data.fileVersion;
    settings = data.settings;
    m_oPath = path;
}

void CGlimtapDoc::OnSaveDocument(const std::filesystem::path& path, const SearchSettings& settings) {
    SaveDataFile(path, DataFile{m_nFileVersion, settings});
    m_oPath = path;
}

}  // namespace glimtap
