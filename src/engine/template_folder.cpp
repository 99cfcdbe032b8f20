#include "engine/template_folder.h"

#include <cwctype>

#include "engine/utf16.h"

namespace glimtap {

bool HasBitmapExtension(const std::filesystem::path& path) {
    std::u16string extension = FromPath(path.extension());
    for (char16_t& c : extension) c = static_cast<char16_t>(std::towlower(c));
    return extension == u".bmp";
}

std::vector<NamedTemplate> LoadTemplateFolder(const std::filesystem::path& folder,
                                              const AtomicInt32& tolerance) {
    std::vector<NamedTemplate> templates;
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        // An entry whose type cannot be told (a dangling link, say) is simply not a template.
        std::error_code typeError;
        if (!entry->is_regular_file(typeError) || !HasBitmapExtension(entry->path())) continue;
        TemplateImage image;
        if (!LoadTemplateImage(image, entry->path())) continue;
        image.maxMatches = 1;
        image.tolerance = tolerance;
        templates.push_back({entry->path().filename().string(), std::move(image)});
    }
    return templates;
}

}  // namespace glimtap
