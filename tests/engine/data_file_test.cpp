#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

#include "engine/archive.h"
#include "engine/data_file.h"
#include "platform/utf16.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace glimtap {
namespace {

DataFile Defaults() {
    DataFile data;
    data.settings.ResetToDefaults(test::FixedDesktop());
    return data;
}

std::vector<uint8_t> Written(const std::u16string& text) {
    ArchiveWriter w;
    w.WriteString(text);
    return w.bytes();
}

std::u16string ReadBack(const std::vector<uint8_t>& bytes) {
    ArchiveReader r(bytes);
    return r.ReadString("text");
}

TEST(DataFileFormat, DefaultFileByteForByte) {
    const std::vector<uint8_t> expected = {
        1, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0x80, 7, 0, 0,  0x38, 4, 0, 0,  1, 0, 0, 0,
        1, 0, 0, 0,  1, 0, 0, 0,  1, 0, 0, 0,  0xF4, 1, 0, 0,  15, 0, 0, 0,
        0xFF, 0xFE, 0xFF, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,
        0xFF, 0xFE, 0xFF, 7,  'n', 0, 'o', 0, 't', 0, 'e', 0, 'p', 0, 'a', 0, 'd', 0,
        0xFF, 0xFE, 0xFF, 4,  'o', 0, 'p', 0, 'e', 0, 'n', 0,  0, 0, 0, 0};
    EXPECT_EQ(EncodeDataFile(Defaults()), expected);
}

TEST(DataFileFormat, StringLengthFormsRoundTrip) {
    struct Form {
        size_t length;
        std::vector<uint8_t> prefix;
    };
    const Form forms[] = {
        {0, {0xFF, 0xFE, 0xFF, 0x00}},
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Form& form : forms) {
        std::u16string text(form.length, u'\u00E9');
        if (!text.empty()) text.back() = u'\xD800';  // a lone surrogate survives unchanged
        const auto bytes = Written(text);
        ASSERT_EQ(bytes.size(), form.prefix.size() + 2 * form.length) << form.length;
        EXPECT_TRUE(std::equal(form.prefix.begin(), form.prefix.end(), bytes.begin())) << form.length;
        EXPECT_EQ(ReadBack(bytes), text) << form.length;
    }
}

TEST(DataFileFormat, ForeignFormsLoad) {
    EXPECT_EQ(ReadBack({0x03, 'a', 0xE9, 'z'}), u"a\u00E9z");  // unmarked one-byte: Latin-1
    EXPECT_EQ(ReadBack({0xFF, 0x02, 0x00, 'h', 'i'}), u"hi");  // one-byte chars, 16-bit length
    EXPECT_EQ(ReadBack({0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'o', 'k'}), u"ok");
    // The 64-bit form, marked: only the low 32 bits count.
    EXPECT_EQ(ReadBack({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                        0x01, 0, 0, 0, 0, 0, 0, 0, 'x', 0}), u"x");
    // A whole file of another writer, with trailing garbage; saved again in UTF-16.
    ArchiveWriter w;
    for (int i = 0; i < 11; ++i) w.WriteInt32(i == 0 ? 7 : i * 3);
    std::vector<uint8_t> bytes = w.bytes();
    const std::vector<uint8_t> rest = {4, 'C', ':', 0xE9, 'x',  1, 0, 0, 0,  0, 0, 0, 0,  1, 0, 0, 0,
                                       3, 'c', 'm', 'd',  0,  0, 0, 0, 0,  'j', 'u', 'n', 'k'};
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    DataFile loaded = Defaults();
    DecodeDataFile(bytes, loaded);
    EXPECT_EQ(loaded.fileVersion, 7);
    EXPECT_EQ(loaded.settings.tolerance, 30);
    EXPECT_EQ(loaded.settings.targetFolder, u"C:\u00E9x");
    EXPECT_EQ(loaded.settings.executeFile, u"cmd");
    EXPECT_EQ(loaded.settings.executeVerb, u"");
    const auto saved = EncodeDataFile(loaded);
    EXPECT_EQ(std::vector<uint8_t>(saved.begin() + 44, saved.begin() + 48), (std::vector<uint8_t>{0xFF, 0xFE, 0xFF, 4}));
}

TEST(DataFileFormat, EveryTruncatedPrefixAndHostileLengthChangesNothing) {
    DataFile source = Defaults();
    source.settings.targetFolder = u"/a/folder";
    source.settings.tolerance = 99;
    const auto good = EncodeDataFile(source);
    std::vector<std::vector<uint8_t>> bad;
    for (size_t cut = 1; cut < good.size(); ++cut) bad.emplace_back(good.begin(), good.begin() + cut);
    const std::vector<std::vector<uint8_t>> claims = {
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F},  // 2 GiB claimed, nothing there
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x10},
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    };
    for (const auto& claim : claims) {
        bad.emplace_back(good.begin(), good.begin() + 44);
        bad.back().insert(bad.back().end(), claim.begin(), claim.end());
    }
    for (const auto& bytes : bad) {
        DataFile target = Defaults();
        EXPECT_THROW(DecodeDataFile(bytes, target), FormatError) << bytes.size();
        EXPECT_EQ(EncodeDataFile(target), EncodeDataFile(Defaults())) << bytes.size();
    }
    ArchiveReader r(std::vector<uint8_t>{1, 2, 3});
    try {
        r.ReadInt32("areaTop");
        FAIL();
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("areaTop"), std::string::npos) << e.what();
    }
}

// A folder name that is not UTF-8 survives the UTF-16 field byte for byte.
TEST(DataFileFormat, PathsThatAreNotUtf8SurviveTheFile) {
    for (const std::string name : {"/tmp/Bilder \xE4\xFF/x", "/a/\xC3", "/ü/✓/漢/\xED\xA0\x80"}) {
        DataFile data = Defaults();
        data.settings.targetFolder = FromPath(name);
        DataFile loaded;
        DecodeDataFile(EncodeDataFile(data), loaded);
        EXPECT_EQ(ToPath(loaded.settings.targetFolder).native(), name);
    }
    EXPECT_EQ(FromPath("/ü"), u"/ü");
    EXPECT_EQ(ToUtf8(FromPath("a\xFF")), "a\xEF\xBF\xBD");  // shown as U+FFFD
}

TEST(DataFileOnDisk, SaveLoadAndErrorsNameTheFileAndWhy) {
    test::TempDir dir;
    DataFile data = Defaults();
    data.fileVersion = 7;
    data.settings.targetFolder = u"/tmp/a b\n\"c\"";
    const auto path = dir / "My Data.GlimtapDataFile";
    SaveDataFile(path, data);
    DataFile loaded = Defaults();
    LoadDataFile(path, loaded);
    EXPECT_EQ(EncodeDataFile(loaded), EncodeDataFile(data));

    test::WriteFile(dir / "short", {1, 0, 0, 0, 5});
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const std::pair<std::filesystem::path, std::string> failures[] = {
        {dir / "short", "'" + (dir / "short").string() + "' is not a valid Glimtap data file: "},
        // Refused without waiting for a writer.
        {dir / "pipe", "Cannot open '" + (dir / "pipe").string() + "'. It is not a regular file."},
        {"/dev/null", "Cannot open '/dev/null'. It is not a regular file."},
    };
    for (const auto& [file, message] : failures) {
        auto load = std::async(std::launch::async, [&file] {
            DataFile kept = Defaults();
            try {
                LoadDataFile(file, kept);
                return std::string("loaded");
            } catch (const DataFileError& e) {
                EXPECT_EQ(EncodeDataFile(kept), EncodeDataFile(Defaults()));
                return std::string(e.what());
            }
        });
        if (load.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ADD_FAILURE() << "the load waited for a writer";
            const int fd = ::open(file.c_str(), O_WRONLY | O_NONBLOCK);  // lets it go on
            if (fd >= 0) ::close(fd);
        }
        EXPECT_EQ(load.get().rfind(message, 0), 0u) << message;
    }
    EXPECT_THROW(SaveDataFile(dir / "no-such-folder" / "x", data), DataFileError);
}

}  // namespace
}  // namespace glimtap
