#include <gtest/gtest.h>

#include "engine/archive.h"

namespace glimtap {
namespace {

std::vector<uint8_t> Written(const std::u16string& text) {
    ArchiveWriter w;
    w.WriteString(text);
    return w.bytes();
}

std::u16string ReadBack(const std::vector<uint8_t>& bytes) {
    ArchiveReader r(bytes);
    return r.ReadString("text");
}

TEST(ArchiveString, LengthFormsRoundTrip) {
    EXPECT_EQ(Written(u""), (std::vector<uint8_t>{0xFF, 0xFE, 0xFF, 0x00}));
    const auto notepad = Written(u"notepad");
    EXPECT_EQ(notepad.size(), 4u + 14u);
    EXPECT_EQ(notepad[3], 7);
    EXPECT_EQ(notepad[4], 'n');
    EXPECT_EQ(notepad[5], 0);

    struct Form {
        size_t length;
        std::vector<uint8_t> prefix;
    };
    const Form forms[] = {
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Form& form : forms) {
        std::u16string text(form.length, u'\u00E9');
        text.back() = u'\xD800';  // a lone surrogate survives unchanged
        const auto bytes = Written(text);
        ASSERT_EQ(bytes.size(), form.prefix.size() + 2 * form.length) << form.length;
        EXPECT_TRUE(std::equal(form.prefix.begin(), form.prefix.end(), bytes.begin())) << form.length;
        EXPECT_EQ(ReadBack(bytes), text) << form.length;
    }
}

TEST(ArchiveString, ReadsEveryForeignForm) {
    // Unmarked one-byte strings are Latin-1.
    EXPECT_EQ(ReadBack({0x03, 'a', 0xE9, 'z'}), u"a\u00E9z");
    EXPECT_EQ(ReadBack({0xFF, 0x02, 0x00, 'h', 'i'}), u"hi");  // one-byte chars, 16-bit length
    std::vector<uint8_t> long32{0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'o', 'k'};
    EXPECT_EQ(ReadBack(long32), u"ok");
    // The 64-bit form, marked: only the low 32 bits count.
    std::vector<uint8_t> long64{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                0x01, 0, 0, 0, 0, 0, 0, 0, 'x', 0};
    EXPECT_EQ(ReadBack(long64), u"x");
}

TEST(ArchiveReader, ShortAndHostileInputIsAFormatError) {
    const std::vector<std::vector<uint8_t>> hostile = {
        {},
        {0xFF},
        {0xFF, 0xFE},
        {0xFF, 0xFE, 0xFF, 0x05, 'a', 0},                          // cut inside the characters
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F},  // 2 GiB claimed, nothing there
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
         0xFF, 0xFF, 0xFF, 0xFF},                                      // 64-bit length, cut
    };
    for (const auto& bytes : hostile) {
        ArchiveReader r(bytes);
        EXPECT_THROW(r.ReadString("targetFolder"), FormatError);
    }
    const std::vector<uint8_t> three{1, 2, 3};
    ArchiveReader r(three);
    try {
        r.ReadInt32("areaTop");
        FAIL();
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("areaTop"), std::string::npos) << e.what();
    }
}

TEST(ArchiveInt32, LittleEndianSigned) {
    ArchiveWriter w;
    w.WriteInt32(-2);
    w.WriteInt32(0x01020304);
    EXPECT_EQ(w.bytes(), (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1}));
    ArchiveReader r(w.bytes());
    EXPECT_EQ(r.ReadInt32("a"), -2);
    EXPECT_EQ(r.ReadInt32("b"), 0x01020304);
}

}  // namespace
}  // namespace glimtap
