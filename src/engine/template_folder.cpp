#include "engine/template_folder.h"

#include <algorithm>

#include "engine/name_order.h"
#include "platform/utf16.h"

namespace glimtap {
namespace {

bool HasBitmapExtension(const std::filesystem::path& path) {
    std::u16string extension = FromPath(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; });
    return extension == u".bmp";
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
        return NameBefore(PathString(a.path.filename()), PathString(b.path.filename()));
    });
    return files;
}

}  // namespace glimtap
