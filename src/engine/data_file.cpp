#include "engine/data_file.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "engine/archive.h"
#include "engine/atomic_file.h"
#include "engine/data_file_fields.h"

namespace glimtap {
namespace {

struct Loading {
    ArchiveReader reader;
    void Int32(const char* name, int32_t& field) { field = reader.ReadInt32(name); }
    void Int32(const char* name, AtomicInt32& field) { field = reader.ReadInt32(name); }
    void String(const char* name, std::u16string& field) { field = reader.ReadString(name); }
};

struct Storing {
    ArchiveWriter writer;
    void Int32(const char*, int32_t field) { writer.WriteInt32(field); }
    void String(const char*, const std::u16string& field) { writer.WriteString(field); }
};

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace

std::vector<uint8_t> EncodeDataFile(const DataFile& data) {
    Storing storing;
    VisitStoredFields(storing, data);
    return storing.writer.bytes();
}

void DecodeDataFile(std::span<const uint8_t> bytes, DataFile& data) {
    if (bytes.empty()) return;
    Loading loading{ArchiveReader(bytes)};
    DataFile read = data;
    VisitStoredFields(loading, read);
    data = read;
}

void LoadDataFile(const std::filesystem::path& path, DataFile& data) {
    // Regular files only, asked before opening: a pipe would wait for a writer, a device
    // might never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        throw DataFileError("Cannot open " + Quoted(path) + ".");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DataFileError("Cannot open " + Quoted(path) + ".");
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw DataFileError("Cannot read " + Quoted(path) + ".");
    try {
        DecodeDataFile(bytes, data);
    } catch (const FormatError& e) {
        throw DataFileError(Quoted(path) + " is not a valid Glimtap data file: " + e.what() + ".");
    }
}

void SaveDataFile(const std::filesystem::path& path, const DataFile& data) {
    try {
        WriteFileAtomically(path, EncodeDataFile(data));
    } catch (const std::system_error& e) {
        throw DataFileError(std::string("Cannot save: ") + e.what() + ".");
    }
}

}  // namespace glimtap
