#include "engine/data_file.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "engine/archive.h"
#include "engine/atomic_file.h"

namespace glimtap {
namespace {

// The fields in the order the file stores them; the same order serves both directions.
template <typename Archive, typename Data>
void Transfer(Archive& ar, Data& data) {
    auto& s = data.settings;
    ar.Int32("fileVersion", data.fileVersion);
    ar.Int32("areaLeft", s.areaLeft);
    ar.Int32("areaTop", s.areaTop);
    ar.Int32("areaWidth", s.areaWidth);
    ar.Int32("areaHeight", s.areaHeight);
    ar.Int32("autoStopCount", s.autoStopCount);
    ar.Int32("autoStopEnabled", s.autoStopEnabled);
    ar.Int32("speechAlerts", s.speechAlerts);
    ar.Int32("overlayOnMatch", s.overlayOnMatch);
    ar.Int32("matchDelayMs", s.matchDelayMs);
    ar.Int32("tolerance", s.tolerance);
    ar.String("targetFolder", s.targetFolder);
    ar.Int32("moveCursorToMatch", s.moveCursorToMatch);
    ar.Int32("touchAtMatch", s.touchAtMatch);
    ar.Int32("executeEnabled", s.executeEnabled);
    ar.String("executeFile", s.executeFile);
    ar.String("executeVerb", s.executeVerb);
    ar.Int32("beepForSearch", s.beepForSearch);
}

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
    Transfer(storing, data);
    return storing.writer.bytes();
}

void DecodeDataFile(std::span<const uint8_t> bytes, DataFile& data) {
    if (bytes.empty()) return;
    Loading loading{ArchiveReader(bytes)};
    DataFile read = data;
    Transfer(loading, read);
    data = read;
}

void LoadDataFile(const std::filesystem::path& path, DataFile& data) {
    std::ifstream in(path, std::ios::binary);
    std::error_code error;
    if (!in || std::filesystem::is_directory(path, error)) {
        throw DataFileError("Cannot open " + Quoted(path) + ".");
    }
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
