#include "engine/template_image.h"

#include <fstream>
#include <optional>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>

#include "engine/bmp_decoder.h"

namespace glimtap {
namespace {

// No template comes anywhere near this; larger files are refused before reading.
constexpr uintmax_t kMaxFileSize = uintmax_t{1} << 30;

std::optional<std::vector<uint8_t>> ReadSmallFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize) return std::nullopt;

    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return std::nullopt;
    return bytes;
}

}  // namespace

bool LoadTemplateImage(TemplateImage& image, const std::filesystem::path& path) {
    const std::optional<std::vector<uint8_t>> file = ReadSmallFile(path);
    if (!file) return false;

    return std::visit(
        [&image](auto&& result) {
            using Result = std::decay_t<decltype(result)>;
            if constexpr (std::is_same_v<Result, DecodedBitmap>) {
                image.width = result.width;
                image.height = result.height;
                image.pixels = std::move(result.pixels);
                return true;
            } else if constexpr (std::is_same_v<Result, UnsupportedDepth>) {
                // The size of a refused depth is still reported; the pixels are left alone.
                image.width = result.width;
                image.height = result.height;
                return false;
            } else {
                return false;
            }
        },
        DecodeBmp(*file));
}

}  // namespace glimtap
