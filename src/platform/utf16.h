#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace glimtap {

// Lone surrogates and malformed bytes become U+FFFD.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Lossless both ways: a byte of a name that is not UTF-8 becomes U+DC80..U+DCFF and back.
std::filesystem::path ToPath(std::u16string_view text);
std::u16string FromPath(const std::filesystem::path& path);

}  // namespace glimtap
