#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <vector>

#include "engine/search_settings.h"

namespace glimtap {

// What a data file holds: the document's version field and the stored settings.
struct DataFile {
    int32_t fileVersion = 1;
    SearchSettings settings;
};

// A data file could not be read or written; what() names the file and the fault.
class DataFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::vector<uint8_t> EncodeDataFile(const DataFile& data);

// Replaces the stored fields of `data` only when all of `bytes` decodes; on a FormatError
// nothing has changed. Empty input changes nothing; bytes after the last field are ignored.
void DecodeDataFile(std::span<const uint8_t> bytes, DataFile& data);

// File-level forms of the above; they throw DataFileError and leave `data` untouched on failure.
void LoadDataFile(const std::filesystem::path& path, DataFile& data);
void SaveDataFile(const std::filesystem::path& path, const DataFile& data);

}  // namespace glimtap
