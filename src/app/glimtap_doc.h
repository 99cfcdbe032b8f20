#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/search_settings.h"
#include "platform/desktop.h"

namespace glimtap {

// The one document: the settings block as a data file. Whether it is modified is the
// form's to say (CGlimtapView::IsModified).
class CGlimtapDoc {
public:
    // "Untitled" for a new document, else the file name of its path.
    std::filesystem::path GetTitle() const;
    // Empty for a new document.
    const std::filesystem::path& GetPathName() const { return path_; }

    // Forgets the path and puts the settings back to their defaults.
    void OnNewDocument(SearchSettings& settings, const platform::Desktop& desktop);
    // Reads `path` into the settings and takes it as the document's path. Throws
    // DataFileError and changes nothing when the file cannot be read whole.
    void OnOpenDocument(const std::filesystem::path& path, SearchSettings& settings);
    // Writes the settings to `path` (whole or not at all) and takes it as the document's
    // path. Throws DataFileError.
    void OnSaveDocument(const std::filesystem::path& path, const SearchSettings& settings);

private:
    std::filesystem::path path_;
    // Written back as it was read; 1 for files made here.
    int32_t fileVersion_ = 1;
};

}  // namespace glimtap
