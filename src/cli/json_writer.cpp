#include "cli/json_writer.h"

#include <cstdint>
#include <cstdio>
#include <sstream>

namespace glimtap::cli {
namespace {

void AppendEscape(std::string& out, unsigned code) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
    out += escaped;
}

// Length of the valid UTF-8 sequence at `at`, 0 when there is none.
size_t Utf8Length(std::string_view text, size_t at) {
    const auto lead = static_cast<uint8_t>(text[at]);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                        : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<uint8_t>(text[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = code << 6 | (next & 0x3F);
    }
    static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = code >= kLeast[length] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    return valid ? length : 0;
}

}  // namespace

std::string JsonString(std::string_view bytes) {
    std::string out = "\"";
    size_t at = 0;
    while (at < bytes.size()) {
        const char c = bytes[at];
        const size_t length = Utf8Length(bytes, at);
        if (length == 0) {
            AppendEscape(out, 0xDC00 + static_cast<uint8_t>(c));
            ++at;
            continue;
        }
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    AppendEscape(out, static_cast<unsigned char>(c));
                } else {
                    out.append(bytes.substr(at, length));
                }
        }
        at += length;
    }
    return out + "\"";
}

JsonObject& JsonObject::Raw(std::string_view name, std::string_view json) {
    text_ += text_.empty() ? "{" : ",";
    text_ += JsonString(name);
    text_ += ':';
    text_ += json;
    return *this;
}

JsonObject& JsonObject::Int(std::string_view name, int64_t value) {
    return Raw(name, std::to_string(value));
}

JsonObject& JsonObject::Number(std::string_view name, double value) {
    std::ostringstream text;
    text << value;
    return Raw(name, text.str());
}

JsonObject& JsonObject::Text(std::string_view name, std::string_view bytes) {
    return Raw(name, JsonString(bytes));
}

}  // namespace glimtap::cli
