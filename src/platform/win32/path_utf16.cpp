#include "platform/utf16.h"

// Never through a narrow string: path(std::string) reads the ANSI code page, which loses
// what it cannot spell.
namespace glimtap {

std::filesystem::path ToPath(std::u16string_view text) {
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
}

std::u16string FromPath(const std::filesystem::path& path) {
    const std::wstring& name = path.native();
    return std::u16string(name.begin(), name.end());
}

std::string PathString(const std::filesystem::path& path) { return ToUtf8(FromPath(path)); }

std::filesystem::path PathFromString(std::string_view text) { return ToPath(FromUtf8(text)); }

}  // namespace glimtap
