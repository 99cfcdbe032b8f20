#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/atomic_int32.h"
#include "engine/template_image.h"

namespace glimtap {

// True for names whose extension, lower-cased, is exactly ".bmp".
bool HasBitmapExtension(const std::filesystem::path& path);

struct NamedTemplate {
    std::string name;  // the file's name, UTF-8
    TemplateImage image;
};

// Loads every regular .bmp file directly in `folder` that decodes, in listing order, with
// one match per scan and the tolerance as it stands at each load. Files that do not load are skipped; a
// listing error ends the loading with what was loaded so far.
std::vector<NamedTemplate> LoadTemplateFolder(const std::filesystem::path& folder,
                                              const AtomicInt32& tolerance);

}  // namespace glimtap
