#include "platform/utf16.h"

namespace glimtap {

std::filesystem::path ToPath(std::u16string_view text) { return ToUtf8Bytes(text); }

std::u16string FromPath(const std::filesystem::path& path) { return FromUtf8Bytes(path.native()); }

std::string PathString(const std::filesystem::path& path) { return path.native(); }

std::filesystem::path PathFromString(std::string_view text) { return std::string(text); }

}  // namespace glimtap
