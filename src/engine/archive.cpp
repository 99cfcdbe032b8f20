#include "engine/archive.h"

#include <string>

namespace glimtap {

template <typename T>
T ArchiveReader::ReadRaw(std::string_view field) {
    Need(sizeof(T), field, "");
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) value |= uint64_t{bytes_[pos_ + i]} << (8 * i);
    pos_ += sizeof(T);
    return static_cast<T>(value);
}

void ArchiveReader::Need(uint64_t count, std::string_view field, std::string_view what) const {
    const uint64_t left = bytes_.size() - pos_;
    if (count <= left) return;
    std::string message = "the file ends inside '" + std::string(field) + "'";
    if (!what.empty()) message += " (" + std::string(what) + ")";
    message += ": " + std::to_string(count) + " more bytes needed, " + std::to_string(left) + " left";
    throw FormatError(message);
}

uint64_t ArchiveReader::ReadLongLength(uint16_t word, std::string_view field) {
    if (word < 0xFFFF) return word;
    const uint32_t dword = ReadRaw<uint32_t>(field);
    if (dword < 0xFFFFFFFF) return dword;
    return ReadRaw<uint64_t>(field);
}

int32_t ArchiveReader::ReadInt32(std::string_view field) { return ReadRaw<int32_t>(field); }

std::u16string ArchiveReader::ReadString(std::string_view field) {
    uint64_t length = ReadRaw<uint8_t>(field);
    bool wide = false;
    if (length == 0xFF) {
        uint16_t word = ReadRaw<uint16_t>(field);
        if (word == 0xFFFE) {
            wide = true;
            length = ReadRaw<uint8_t>(field);
            if (length == 0xFF) word = ReadRaw<uint16_t>(field);
        }
        if (length == 0xFF) length = ReadLongLength(word, field);
    }
    // The count is taken as 32 bits wide, whatever form carried it.
    const uint64_t units = static_cast<uint32_t>(length);
    const uint64_t size = units * (wide ? 2 : 1);
    Need(size, field, "its characters");

    std::u16string text(units, u'\0');
    for (uint64_t i = 0; i < units; ++i) {
        text[i] = wide ? static_cast<char16_t>(bytes_[pos_ + 2 * i] | bytes_[pos_ + 2 * i + 1] << 8)
                       : static_cast<char16_t>(bytes_[pos_ + i]);
    }
    pos_ += size;
    return text;
}

template <typename T>
void ArchiveWriter::WriteRaw(T value) {
    const auto bits = static_cast<uint64_t>(value);
    for (size_t i = 0; i < sizeof(T); ++i) bytes_.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

void ArchiveWriter::WriteInt32(int32_t value) { WriteRaw(value); }

void ArchiveWriter::WriteString(std::u16string_view text) {
    WriteRaw<uint8_t>(0xFF);
    WriteRaw<uint16_t>(0xFFFE);
    const uint64_t n = text.size();
    if (n < 0xFF) {
        WriteRaw(static_cast<uint8_t>(n));
    } else {
        WriteRaw<uint8_t>(0xFF);
        if (n < 0xFFFE) {
            WriteRaw(static_cast<uint16_t>(n));
        } else {
            WriteRaw<uint16_t>(0xFFFF);
            if (n < 0xFFFFFFFF) {
                WriteRaw(static_cast<uint32_t>(n));
            } else {
                WriteRaw<uint32_t>(0xFFFFFFFF);
                WriteRaw(n);
            }
        }
    }
    for (const char16_t unit : text) WriteRaw(static_cast<uint16_t>(unit));
}

}  // namespace glimtap
