#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

#include "engine/archive.h"
#include "engine/data_file.h"
#include "support/temp_dir.h"

namespace glimtap {
namespace {

class FixedDesktop : public platform::Desktop {
public:
    explicit FixedDesktop(platform::Size size) : size_(size) {}
    platform::Size VirtualScreenSize() const override { return size_; }

private:
    platform::Size size_;
};

DataFile Defaults(platform::Size screen = {3840, 1080}) {
    DataFile data;
    data.settings.ResetToDefaults(FixedDesktop(screen));
    return data;
}

void ExpectSameStoredFields(const DataFile& a, const DataFile& b) {
    EXPECT_EQ(EncodeDataFile(a), EncodeDataFile(b));
}

TEST(SearchSettings, StaticValuesAndDefaults) {
    SearchSettings fresh;
    EXPECT_EQ(fresh.matchDelayMs, 500);
    EXPECT_EQ(fresh.tolerance, 15);
    EXPECT_EQ(fresh.autoStopEnabled, 0);
    EXPECT_TRUE(fresh.executeFile.empty());

    fresh.suggestedFileName = u"Untitled";
    fresh.areaLeft = -5;
    fresh.ResetToDefaults(FixedDesktop({3840, 1080}));
    EXPECT_EQ(fresh.areaLeft, 0);
    EXPECT_EQ(fresh.areaWidth, 3840);
    EXPECT_EQ(fresh.areaHeight, 1080);
    EXPECT_EQ(fresh.autoStopCount, 1);
    EXPECT_EQ(fresh.speechAlerts, 1);
    EXPECT_EQ(fresh.overlayOnMatch, 1);
    EXPECT_EQ(fresh.moveCursorToMatch, 0);
    EXPECT_EQ(fresh.executeFile, u"notepad");
    EXPECT_EQ(fresh.executeVerb, u"open");
    EXPECT_TRUE(fresh.suggestedFileName.empty());
}

TEST(DataFileFormat, DefaultFileByteForByte) {
    const auto bytes = EncodeDataFile(Defaults({1920, 1080}));
    ASSERT_EQ(bytes.size(), 94u);
    const std::vector<uint8_t> integers = {1, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0x80, 7, 0, 0,
                                           0x38, 4, 0, 0,  1, 0, 0, 0,  1, 0, 0, 0,  1, 0, 0, 0,
                                           1, 0, 0, 0,  0xF4, 1, 0, 0,  15, 0, 0, 0};
    EXPECT_TRUE(std::equal(integers.begin(), integers.end(), bytes.begin()));
    const std::vector<uint8_t> rest = {0xFF, 0xFE, 0xFF, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,
                                       0xFF, 0xFE, 0xFF, 7,  'n', 0, 'o', 0, 't', 0, 'e', 0, 'p', 0,
                                       'a', 0, 'd', 0,  0xFF, 0xFE, 0xFF, 4,  'o', 0, 'p', 0, 'e', 0,
                                       'n', 0,  0, 0, 0, 0};
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), bytes.begin() + 44));
}

TEST(DataFileFormat, FileOrderDiffersFromMemoryOrder) {
    DataFile data = Defaults();
    data.settings.moveCursorToMatch = 11;
    data.settings.touchAtMatch = 12;
    data.settings.executeEnabled = 13;
    data.settings.beepForSearch = 14;
    data.settings.targetFolder = u"/home/u/Bilder/ü";
    data.settings.suggestedFileName = u"never stored";
    const auto bytes = EncodeDataFile(data);
    const size_t after = 44 + 4 + 2 * data.settings.targetFolder.size();
    EXPECT_EQ(bytes[after], 11);
    EXPECT_EQ(bytes[after + 4], 12);
    EXPECT_EQ(bytes[after + 8], 13);
    EXPECT_EQ(bytes[bytes.size() - 4], 14);

    DataFile loaded;
    DecodeDataFile(bytes, loaded);
    EXPECT_EQ(loaded.settings.targetFolder, data.settings.targetFolder);
    EXPECT_TRUE(loaded.settings.suggestedFileName.empty());
    ExpectSameStoredFields(loaded, data);
}

TEST(DataFileFormat, ForeignFilesLoad) {
    DataFile data = Defaults();
    data.fileVersion = 7;
    // One-byte strings, as another writer may store them, plus trailing garbage.
    ArchiveWriter w;
    for (int i = 0; i < 11; ++i) w.WriteInt32(i == 0 ? 7 : i * 3);
    std::vector<uint8_t> bytes = w.bytes();
    const std::vector<uint8_t> middle = {4, 'C', ':', 0xE9, 'x',  1, 0, 0, 0,  0, 0, 0, 0,  1, 0, 0, 0,
                                         3, 'c', 'm', 'd',  0,  0, 0, 0, 0,  'j', 'u', 'n', 'k'};
    bytes.insert(bytes.end(), middle.begin(), middle.end());

    DataFile loaded = Defaults();
    DecodeDataFile(bytes, loaded);
    EXPECT_EQ(loaded.fileVersion, 7);
    EXPECT_EQ(loaded.settings.areaLeft, 3);
    EXPECT_EQ(loaded.settings.tolerance, 30);
    EXPECT_EQ(loaded.settings.targetFolder, u"C:\u00E9x");
    EXPECT_EQ(loaded.settings.moveCursorToMatch, 1);
    EXPECT_EQ(loaded.settings.executeEnabled, 1);
    EXPECT_EQ(loaded.settings.executeFile, u"cmd");
    EXPECT_EQ(loaded.settings.executeVerb, u"");
    // Saved again, the strings take the UTF-16 form and the version stays 7.
    const auto saved = EncodeDataFile(loaded);
    EXPECT_EQ(saved[0], 7);
    EXPECT_EQ(saved[44], 0xFF);
    EXPECT_EQ(saved[47], 4);

    DataFile untouched = Defaults();
    DecodeDataFile({}, untouched);
    ExpectSameStoredFields(untouched, Defaults());
}

TEST(DataFileFormat, BadFilesChangeNothing) {
    DataFile source = Defaults();
    source.settings.targetFolder = u"/a/folder";
    source.settings.tolerance = 99;
    const auto good = EncodeDataFile(source);

    for (size_t cut = 1; cut < good.size(); ++cut) {
        DataFile target = Defaults();
        const std::vector<uint8_t> truncated(good.begin(), good.begin() + cut);
        EXPECT_THROW(DecodeDataFile(truncated, target), FormatError) << cut;
        ExpectSameStoredFields(target, Defaults());
    }

    std::vector<uint8_t> huge(good.begin(), good.begin() + 44);
    const std::vector<uint8_t> claim = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x10};
    huge.insert(huge.end(), claim.begin(), claim.end());
    DataFile target = Defaults();
    EXPECT_THROW(DecodeDataFile(huge, target), FormatError);
    ExpectSameStoredFields(target, Defaults());
}

TEST(DataFileOnDisk, SaveLoadAndErrorsNameTheFile) {
    test::TempDir dir;
    DataFile data = Defaults();
    data.fileVersion = 7;
    data.settings.targetFolder = u"/tmp/a b\n\"c\"";
    const auto path = dir / "My Data.GlimtapDataFile";
    SaveDataFile(path, data);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    DataFile loaded = Defaults();
    LoadDataFile(path, loaded);
    ExpectSameStoredFields(loaded, data);

    test::WriteFile(dir / "short.GlimtapDataFile", {1, 0, 0, 0, 5});
    DataFile kept = Defaults();
    try {
        LoadDataFile(dir / "short.GlimtapDataFile", kept);
        FAIL();
    } catch (const DataFileError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("short.GlimtapDataFile"), std::string::npos) << message;
        EXPECT_NE(message.find("areaLeft"), std::string::npos) << message;
    }
    ExpectSameStoredFields(kept, Defaults());

    EXPECT_THROW(LoadDataFile(dir / "missing.GlimtapDataFile", kept), DataFileError);
    EXPECT_THROW(LoadDataFile(dir.path(), kept), DataFileError);
    EXPECT_THROW(SaveDataFile(dir / "no-such-folder" / "x.GlimtapDataFile", data), DataFileError);
}

TEST(DataFileOnDisk, APipeOrADeviceIsRefusedWithoutWaiting) {
    test::TempDir dir;
    const std::filesystem::path pipe = dir / "pipe.GlimtapDataFile";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [&pipe] {
        DataFile data = Defaults();
        try {
            LoadDataFile(pipe, data);
            return std::string("loaded");
        } catch (const DataFileError& e) {
            return std::string(e.what());
        }
    });
    if (load.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "the load waited for a writer";
        // A writer that comes and goes at once lets it go on.
        while (load.wait_for(std::chrono::milliseconds(10)) == std::future_status::timeout) {
            const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
    }
    EXPECT_EQ(load.get(), "Cannot open '" + pipe.string() + "'.");

    DataFile kept = Defaults();
    EXPECT_THROW(LoadDataFile("/dev/null", kept), DataFileError);
}

}  // namespace
}  // namespace glimtap
