#include "ui/image_library.h"

#include <gtest/gtest.h>

#include <QTableWidget>

#include "platform/utf16.h"
#include "support/bmp_writer.h"
#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& path) { return QString::fromStdU16String(FromPath(path)); }

BmpPicture Plain(int32_t width, int32_t height) {
    return {width, height, std::vector<uint32_t>(static_cast<size_t>(width * height), 0x336699)};
}

TEST(RefreshImageListTest, EmptiesTheListAndSaysWhyOnlyWhenAFolderCannotBeRead) {
    TempDir dir;
    WriteBmp(dir / "file.bmp", Plain(1, 1));
    fs::create_symlink(dir / "loop", dir / "loop");
    for (const auto& [folder, readable] : std::vector<std::pair<fs::path, bool>>{
             {dir / "missing", true}, {fs::path(), true}, {dir / "file.bmp", false},
             {dir / "loop", false}}) {
        QTableWidget list(1, 4);
        QString error;
        RefreshImageList(list, folder, &error);
        EXPECT_EQ(list.rowCount(), 0) << folder;
        EXPECT_EQ(error.isEmpty(), readable) << folder;
        EXPECT_TRUE(error.isEmpty() || error.contains(Q(folder))) << error.toStdString();
        EXPECT_TRUE(list.updatesEnabled());
    }
}

}  // namespace
}  // namespace glimtap::test
