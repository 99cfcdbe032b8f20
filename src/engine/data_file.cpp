#include "engine/data_file.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "engine/archive.h"
#include "engine/atomic_file.h"
#include "engine/data_file_fields.h"
#include "platform/utf16.h"

namespace glimtap {
namespace {

struct Loading {
    ArchiveReader reader;
    void Int32(const char* name, int32_t& field) { field = reader.ReadInt32(name); }
    void Int32(const char* name, AtomicInt32& field) { field = reader.ReadInt32(name); }
    void String(const char* name, std::u16string& field) { field = reader.ReadString(name); }
    void Path(const char* name, std::filesystem::path& field) { field = ToPath(reader.ReadString(name)); }
};

struct Storing {
    ArchiveWriter writer;
    void Int32(const char*, int32_t field) { writer.WriteInt32(field); }
    void String(const char*, const std::u16string& field) { writer.WriteString(field); }
    void Path(const char*, const std::filesystem::path& field) { writer.WriteString(FromPath(field)); }
};

std::string Quoted(const std::filesystem::path& path) { return "'" + PathString(path) + "'"; }

// Why `path` is no file to read, in a sentence; empty when it is one.
std::string WhyNotReadable(const std::filesystem::path& path) {
    std::error_code error;
    const auto type = std::filesystem::status(path, error).type();
    if (type == std::filesystem::file_type::not_found) return "It does not exist.";
    if (type == std::filesystem::file_type::directory) return "It is a folder.";
    if (error) return error.message() + ".";
    // A pipe would wait for a writer, a device might never end.
    if (type != std::filesystem::file_type::regular) return "It is not a regular file.";
    return {};
}

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
    // Regular files only, asked before opening.
    if (const std::string why = WhyNotReadable(path); !why.empty()) {
        throw DataFileError("Cannot open " + Quoted(path) + ". " + why);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DataFileError("Cannot open " + Quoted(path) + ". It cannot be read.");
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
