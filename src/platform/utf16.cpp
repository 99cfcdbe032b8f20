#include "platform/utf16.h"

#include <cstdint>
#include <string>

namespace glimtap {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// A byte that is no part of valid UTF-8 travels as U+DC80..U+DCFF (as Python's
// "surrogateescape" does), so names that are not UTF-8 survive the UTF-16 data file.
constexpr char16_t kEscapedByte = 0xDC00;
bool IsEscapedByte(char16_t u) { return u >= 0xDC80 && u <= 0xDCFF; }

std::string Encode(std::u16string_view text, bool bytesEscaped) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (bytesEscaped && IsEscapedByte(u)) {
            out += static_cast<char>(u - kEscapedByte);
        } else if (IsHigh(u) || IsLow(u)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::u16string Decode(std::string_view text, bool escapeBytes) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<uint8_t>(text[i]);
        int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2
                  : (lead >> 3) == 0x1E ? 3 : -1;
        char32_t c = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        bool ok = extra >= 0 && i + extra < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto b = static_cast<uint8_t>(text[i + k]);
            ok = (b & 0xC0) == 0x80;
            c = (c << 6) | (b & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are malformed too.
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        ok = ok && c >= kMin[extra] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        if (ok) {
            AppendUtf16(out, c);
            i += extra + 1;
        } else {
            out += escapeBytes ? static_cast<char16_t>(kEscapedByte + lead) : char16_t{kReplacement};
            ++i;
        }
    }
    return out;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) { return Encode(text, false); }

std::u16string FromUtf8(std::string_view text) { return Decode(text, false); }

std::string ToUtf8Bytes(std::u16string_view text) { return Encode(text, true); }

std::u16string FromUtf8Bytes(std::string_view text) { return Decode(text, true); }

}  // namespace glimtap
