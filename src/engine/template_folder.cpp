#include "engine/template_folder.h"

#include <algorithm>
#include <cctype>

namespace glimtap {
namespace {

bool HasBitmapExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".bmp";
}

}  // namespace

std::vector<std::filesystem::path> ListTemplateFiles(const std::filesystem::path& folder,
                                                     std::error_code& failure) {
    std::vector<std::filesystem::path> files;
    std::filesystem::directory_iterator entry(folder, failure);
    for (; !failure && entry != std::filesystem::directory_iterator(); entry.increment(failure)) {
        std::error_code typeUnknown;
        if (entry->is_regular_file(typeUnknown) && HasBitmapExtension(entry->path())) {
            files.push_back(entry->path());
        }
    }
    return files;
}

std::vector<NamedTemplate> LoadTemplateFolder(const std::filesystem::path& folder,
                                              const AtomicInt32& tolerance) {
    std::vector<NamedTemplate> templates;
    std::error_code failure;
    for (const std::filesystem::path& file : ListTemplateFiles(folder, failure)) {
        TemplateImage image;
        if (!LoadTemplateImage(image, file)) continue;
        image.maxMatches = 1;
        image.tolerance = tolerance;
        templates.push_back({file.filename().string(), std::move(image)});
    }
    return templates;
}

}  // namespace glimtap
