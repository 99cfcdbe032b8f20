#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace glimtap {

// The stored bytes do not form a valid data file; what() says what was wrong.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads little-endian integers and length-prefixed strings from bytes held in memory.
// Every read names its field, so errors say where the file went wrong.
class ArchiveReader {
public:
    explicit ArchiveReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    int32_t ReadInt32(std::string_view field);
    // Accepts the UTF-16 form (with its FF FE FF marker) and the unmarked one-byte form,
    // whose bytes are taken as Latin-1.
    std::u16string ReadString(std::string_view field);

private:
    template <typename T>
    T ReadRaw(std::string_view field);
    uint64_t ReadLongLength(uint16_t word, std::string_view field);
    void Need(uint64_t count, std::string_view field, std::string_view what) const;

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

// Writes integers and strings in the same format, strings always in the UTF-16 form.
class ArchiveWriter {
public:
    void WriteInt32(int32_t value);
    void WriteString(std::u16string_view text);
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    template <typename T>
    void WriteRaw(T value);

    std::vector<uint8_t> bytes_;
};

}  // namespace glimtap
