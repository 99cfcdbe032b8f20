#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The one JSON writer of glimtap-cli: every object either command prints is built here.
namespace glimtap::cli {

// `bytes` as a JSON string literal, quotes included. Text is taken as UTF-8; a byte that is
// not part of valid UTF-8 (a file name in another encoding) is written as \udc80..\udcff,
// the escape Python's "surrogateescape" reads back into the same byte.
std::string JsonString(std::string_view bytes);

// One JSON object, built field by field in order.
class JsonObject {
public:
    JsonObject& Int(std::string_view name, int64_t value);
    JsonObject& Number(std::string_view name, double value);
    JsonObject& Text(std::string_view name, std::string_view bytes);
    // A value already written as JSON: an object, an array, null.
    JsonObject& Raw(std::string_view name, std::string_view json);
    // The object, braces included.
    std::string Close() const { return (text_.empty() ? "{" : text_) + "}"; }

private:
    std::string text_;
};

}  // namespace glimtap::cli
