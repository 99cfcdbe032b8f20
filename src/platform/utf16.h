#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace glimtap {

// Lone surrogates and malformed bytes become U+FFFD.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Lossless both ways: a byte that is not UTF-8 becomes U+DC80..U+DCFF and back. For names
// that are bytes, as POSIX file names are.
std::string ToUtf8Bytes(std::u16string_view text);
std::u16string FromUtf8Bytes(std::string_view text);

// A path as the system names it, both ways lossless: POSIX names are bytes (as above),
// Windows names UTF-16 units. One source file per system.
std::filesystem::path ToPath(std::u16string_view text);
std::u16string FromPath(const std::filesystem::path& path);
// A path's text to show or report: the bytes of a POSIX name as they are, a Windows name
// as UTF-8 (a lone surrogate becomes U+FFFD).
std::string PathString(const std::filesystem::path& path);
// The path a narrow text names, the inverse of PathString: a command line's argument, say.
std::filesystem::path PathFromString(std::string_view text);

}  // namespace glimtap
