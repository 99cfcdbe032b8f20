#include <gtest/gtest.h>
#include <sys/stat.h>

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

// Each length form another writer may use loads; ours is UTF-16, a lone surrogate kept.
TEST(DataFileFormat, StringFormsRoundTripOrLoad) {
    const std::pair<size_t, std::vector<uint8_t>> forms[] = {
        {254, {0xFF, 0xFE, 0xFF, 0xFE}}, {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const auto& [length, prefix] : forms) {
        std::u16string text(length, u'\u00E9');
        text.back() = u'\xD800';
        ArchiveWriter writer;
        writer.WriteString(text);
        const auto bytes = writer.bytes();
        ASSERT_EQ(bytes.size(), prefix.size() + 2 * length) << length;
        EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), bytes.begin())) << length;
        EXPECT_EQ(ReadBack(bytes), text) << length;
    }
    EXPECT_EQ(ReadBack({0x03, 'a', 0xE9, 'z'}), u"a\u00E9z");  // unmarked one-byte: Latin-1
    EXPECT_EQ(ReadBack({0xFF, 0x02, 0x00, 'h', 'i'}), u"hi");  // one-byte chars, 16-bit length
    EXPECT_EQ(ReadBack({0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'o', 'k'}), u"ok");
    // The 64-bit form, marked: only the low 32 bits count.
    EXPECT_EQ(ReadBack({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                        0x01, 0, 0, 0, 0, 0, 0, 0, 'x', 0}), u"x");
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
}

// A folder name that is not UTF-8 survives the UTF-16 field byte for byte.
TEST(DataFileFormat, PathsThatAreNotUtf8SurviveTheFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows names are UTF-16, never bytes";
#else
    for (const std::string name : {"/tmp/Bilder \xE4\xFF/x", "/a/\xC3", "/ü/✓/漢/\xED\xA0\x80"}) {
        DataFile data = Defaults();
        data.settings.targetFolder = name;
        DataFile loaded;
        DecodeDataFile(EncodeDataFile(data), loaded);
        EXPECT_EQ(loaded.settings.targetFolder.native(), name);
    }
    EXPECT_EQ(ToUtf8(FromPath("a\xFF")), "a\xEF\xBF\xBD");  // shown as U+FFFD
#endif
}

TEST(DataFileOnDisk, SaveLoadAndErrorsNameTheFileAndWhy) {
    test::TempDir dir;
    DataFile data = Defaults();
    data.fileVersion = 7, data.settings.targetFolder = u"/tmp/a b\n\"c\"";
    const auto path = dir / "My Data.GlimtapDataFile";
    SaveDataFile(path, data);
    DataFile loaded = Defaults();
    LoadDataFile(path, loaded);
    EXPECT_EQ(EncodeDataFile(loaded), EncodeDataFile(data));

    test::WriteFile(dir / "short", {1, 0, 0, 0, 5});
    std::vector<std::pair<std::filesystem::path, std::string>> failures = {
        {dir / "short", "'" + PathString(dir / "short") + "' is not a valid Glimtap data file: "},
    };
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    failures.push_back({dir / "pipe", "Cannot open '" + PathString(dir / "pipe") + "'. It is not a regular file."});
    failures.push_back({"/dev/null", "Cannot open '/dev/null'. It is not a regular file."});
#endif
    for (const auto& [file, message] : failures) {
        DataFile kept = Defaults();
        try {
            LoadDataFile(file, kept);  // a pipe would hang here, waiting for a writer
            ADD_FAILURE() << file;
        } catch (const DataFileError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(message, 0), 0u) << e.what();
        }
        EXPECT_EQ(EncodeDataFile(kept), EncodeDataFile(Defaults()));
    }
    EXPECT_THROW(SaveDataFile(dir / "no-such-folder" / "x", data), DataFileError);
}

}  // namespace
}  // namespace glimtap
