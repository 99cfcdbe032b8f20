#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/template_image.h"

namespace glimtap {

// One template file of a folder, as the search would load it.
struct TemplateFile {
    std::filesystem::path path;
    // Loaded when the search can use it; otherwise the size the file tells, if any.
    TemplateImage image;
    // Why the search cannot use it ("not a bitmap", "16 bits per pixel; 24 or 32 are
    // read", ...); empty when it can.
    std::string unreadable;
};

// The templates of a folder, each loaded or with the reason it cannot be: its regular files
// (links followed) directly in it whose extension, lower-cased, is exactly ".bmp", sorted by
// name (NameBefore). An entry whose type cannot be told (a dangling link) is none. A missing
// or unreadable folder, or a listing error, ends the list with what was listed so far and is
// left in `failure`.
std::vector<TemplateFile> ListTemplates(const std::filesystem::path& folder,
                                        std::error_code& failure);

}  // namespace glimtap
