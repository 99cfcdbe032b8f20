#include "engine/template_image.h"

#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>

#include "engine/bmp_decoder.h"

namespace glimtap {
namespace {

// No template comes anywhere near this; larger files are refused before reading.
constexpr uintmax_t kMaxFileSize = uintmax_t{1} << 30;

// The whole file, or nullopt with `whyNot` set.
std::optional<std::vector<uint8_t>> ReadSmallFile(const std::filesystem::path& path,
                                                  std::string& whyNot) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        whyNot = "no such file";
        return std::nullopt;
    }
    if (status.type() == std::filesystem::file_type::directory) {
        whyNot = "a folder";
        return std::nullopt;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        whyNot = error ? error.message() : "not a regular file";
        return std::nullopt;
    }
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize) {
        whyNot = error ? error.message() : "larger than any bitmap read here (1 GiB)";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in || in.gcount() != static_cast<std::streamsize>(bytes.size())) {
        whyNot = "cannot be read";
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

bool LoadTemplateImage(TemplateImage& image, const std::filesystem::path& path,
                       std::string* whyNot) {
    std::string reason;
    const std::optional<std::vector<uint8_t>> file = ReadSmallFile(path, reason);
    const bool loaded = file && std::visit(
        [&image, &reason](auto&& result) {
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
                reason = std::to_string(result.bitsPerPixel) + " bits per pixel; 24 or 32 are read";
                return false;
            } else {
                reason = "not a bitmap";
                return false;
            }
        },
        DecodeBmp(*file));
    if (!loaded && whyNot != nullptr) *whyNot = reason;
    return loaded;
}

}  // namespace glimtap
