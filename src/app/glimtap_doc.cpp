#include "app/glimtap_doc.h"

#include "engine/data_file.h"

namespace glimtap {

std::filesystem::path CGlimtapDoc::GetTitle() const {
    return path_.empty() ? std::filesystem::path("Untitled") : path_.filename();
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
