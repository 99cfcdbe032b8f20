#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/atomic_int32.h"
#include "engine/template_image.h"

namespace glimtap {

// The templates of a folder: its regular files (links followed) directly in it whose
// extension, lower-cased, is exactly ".bmp", in listing order. An entry whose type cannot
// be told (a dangling link) is none. A listing error ends the list with what was listed so
// far and is left in `failure`.
std::vector<std::filesystem::path> ListTemplateFiles(const std::filesystem::path& folder,
                                                     std::error_code& failure);

struct NamedTemplate {
    std::string name;  // the file's name as the system spells it (not always UTF-8)
    TemplateImage image;
};

// Loads every template file of `folder` that decodes, in listing order, with one match per
// scan and the tolerance as it stands at each load. Files that do not load are skipped.
std::vector<NamedTemplate> LoadTemplateFolder(const std::filesystem::path& folder,
                                              const AtomicInt32& tolerance);

}  // namespace glimtap
