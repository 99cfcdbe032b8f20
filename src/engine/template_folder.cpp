#include "engine/template_folder.h"

#include <algorithm>
#include <cctype>

#include "engine/name_order.h"

namespace glimtap {
namespace {

bool HasBitmapExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".bmp";
}

}  // namespace

std::vector<TemplateFile> ListTemplates(const std::filesystem::path& folder,
                                        std::error_code& failure) {
    std::vector<TemplateFile> files;
    std::filesystem::directory_iterator entry(folder, failure);
    for (; !failure && entry != std::filesystem::directory_iterator(); entry.increment(failure)) {
        std::error_code typeUnknown;
        if (!entry->is_regular_file(typeUnknown) || !HasBitmapExtension(entry->path())) continue;
        TemplateFile& file = files.emplace_back(TemplateFile{entry->path(), {}, {}});
        LoadTemplateImage(file.image, file.path, &file.unreadable);
    }
    std::sort(files.begin(), files.end(), [](const TemplateFile& a, const TemplateFile& b) {
        return NameBefore(a.path.filename().native(), b.path.filename().native());
    });
    return files;
}

}  // namespace glimtap
