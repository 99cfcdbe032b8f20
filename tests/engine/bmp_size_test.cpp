#include "engine/bmp_size.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "support/bmp_writer.h"
#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

namespace field = bmp_field;

BmpPicture Plain(int32_t width, int32_t height) {
    return {width, height, std::vector<uint32_t>(static_cast<size_t>(width * height), 0x123456)};
}

void ExpectSize(const std::filesystem::path& path, int32_t width, int32_t height) {
    const BmpSize size = ReadBmpSize(path);
    EXPECT_EQ(size.width, width) << path;
    EXPECT_EQ(size.height, height) << path;
}

TEST(ReadBmpSizeTest, ReportsTheSizeTheHeadersClaimWhateverTheLayout) {
    TempDir dir;
    WriteBmp(dir / "bottom-up.bmp", Plain(7, 5));
    WriteBmp(dir / "top-down.bmp", Plain(7, 20), {.topDown = true});
    WriteBmp(dir / "palette.bmp", Plain(3, 9), {.bitsPerPixel = 8});
    WriteBmp(dir / "v5.bmp", Plain(4, 6), {.bitsPerPixel = 32, .headerSize = 124});

    // Only the headers count: pixel data that is missing altogether does not matter.
    std::vector<uint8_t> headersOnly = EncodeBmp(Plain(11, 13));
    headersOnly.resize(54);
    WriteFile(dir / "headers-only.bmp", headersOnly);

    // Values no bitmap should have are shown as stored, and the sign of the height is
    // dropped even where its magnitude does not fit.
    std::vector<uint8_t> extreme = EncodeBmp(Plain(1, 1));
    PutLe32(extreme, field::kWidth, static_cast<uint32_t>(-5));
    PutLe32(extreme, field::kHeight, 0x80000000u);
    WriteFile(dir / "extreme.bmp", extreme);

    ExpectSize(dir / "bottom-up.bmp", 7, 5);
    ExpectSize(dir / "top-down.bmp", 7, 20);
    ExpectSize(dir / "palette.bmp", 3, 9);
    ExpectSize(dir / "v5.bmp", 4, 6);
    ExpectSize(dir / "headers-only.bmp", 11, 13);
    ExpectSize(dir / "extreme.bmp", -5, std::numeric_limits<int32_t>::max());
}

TEST(ReadBmpSizeTest, GivesZeroForFilesWithoutBothHeaders) {
    TempDir dir;
    std::vector<uint8_t> shortByOne = EncodeBmp(Plain(11, 13));
    shortByOne.resize(53);
    WriteFile(dir / "short.bmp", shortByOne);

    std::vector<uint8_t> notBm = EncodeBmp(Plain(11, 13));
    notBm[1] = 'A';
    WriteFile(dir / "ba.bmp", notBm);

    const std::string text = "This is not a bitmap, although its name says so.\n"
                             "It is long enough to hold both headers, though.\n";
    WriteFile(dir / "text.bmp", {text.begin(), text.end()});
    WriteFile(dir / "empty.bmp", {});

    ExpectSize(dir / "short.bmp", 0, 0);
    ExpectSize(dir / "ba.bmp", 0, 0);
    ExpectSize(dir / "text.bmp", 0, 0);
    ExpectSize(dir / "empty.bmp", 0, 0);
    ExpectSize(dir / "missing.bmp", 0, 0);
    ExpectSize(dir.path(), 0, 0);
}

}  // namespace
}  // namespace glimtap::test
