#include "app/glimtap_doc.h"

#include "engine/data_file.h"
#include "platform/utf16.h"

namespace glimtap {

std::u16string CGlimtapDoc::GetTitle() const {
    return path_.empty() ? u"Untitled" : FromPath(path_.filename());
}

void CGlimtapDoc::OnNewDocument(SearchSettings& settings, const platform::Desktop& desktop) {
    path_.clear();
    settings.ResetToDefaults(desktop);
}

void CGlimtapDoc::OnOpenDocument(const std::filesystem::path& path, SearchSettings& settings) {
    DataFile data{fileVersion_, settings};
    LoadDataFile(path, data);
    fileVersion_ = data.fileVersion;
    settings = data.settings;
    path_ = path;
}

void CGlimtapDoc::OnSaveDocument(const std::filesystem::path& path, const SearchSettings& settings) {
    SaveDataFile(path, DataFile{fileVersion_, settings});
    path_ = path;
}

}  // namespace glimtap
