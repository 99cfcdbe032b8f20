#include "ui/image_library.h"

#include <gtest/gtest.h>

#include <QInputDialog>
#include <QTest>

#include <array>
#include <map>

#include "platform/utf16.h"
#include "support/bmp_writer.h"
#include "support/modal_driver.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;
using Row = std::array<QString, 4>;

QString Q(const fs::path& path) { return QString::fromStdU16String(FromPath(path)); }

std::vector<Row> Rows(const QTableWidget& list) {
    std::vector<Row> rows;
    for (int row = 0; row < list.rowCount(); ++row) {
        Row cells;
        for (int column = 0; column < 4; ++column) cells[column] = list.item(row, column)->text();
        rows.push_back(cells);
    }
    return rows;
}

BmpPicture Plain(int32_t width, int32_t height) {
    return {width, height, std::vector<uint32_t>(static_cast<size_t>(width * height), 0x336699)};
}

TEST(RefreshImageListTest, ListsTheFolderBitmapsWithTheirSizesInListingOrder) {
    TempDir dir;
    const fs::path folder = dir / "images";
    fs::create_directory(folder);
    WriteBmp(folder / "one.bmp", Plain(7, 5));
    WriteBmp(folder / "TWO.BMP", Plain(3, 20), {.topDown = true});
    WriteBmp(folder / "palette.bmp", Plain(4, 9), {.bitsPerPixel = 8});
    WriteFile(folder / "text.bmp", std::vector<uint8_t>(64, 'x'));
    WriteBmp(dir / "elsewhere.bmp", Plain(6, 1));
    fs::create_symlink(dir / "elsewhere.bmp", folder / "link.bmp");
    WriteBmp(folder / "other.bmpx", Plain(1, 1));  // which files are templates is the engine's rule
    const std::map<std::string, std::pair<QString, QString>> sizes = {
        {"one.bmp", {"7", "5"}},     {"TWO.BMP", {"3", "20"}}, {"palette.bmp", {"4", "9"}},
        {"text.bmp", {"0", "0"}},    {"link.bmp", {"6", "1"}},
    };
    std::vector<Row> expected;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const auto size = sizes.find(entry.path().filename().string());
        if (size == sizes.end()) continue;
        expected.push_back({QString::number(expected.size() + 1), Q(entry.path().filename()),
                            size->second.first, size->second.second});
    }

    QTableWidget list(1, 4);
    QString error = "left over";
    RefreshImageList(list, FromPath(folder), &error);
    EXPECT_EQ(Rows(list), expected);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(list.updatesEnabled());
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
        RefreshImageList(list, FromPath(folder), &error);
        EXPECT_EQ(list.rowCount(), 0) << folder;
        EXPECT_EQ(error.isEmpty(), readable) << folder;
        EXPECT_TRUE(error.isEmpty() || error.contains(Q(folder))) << error.toStdString();
        EXPECT_TRUE(list.updatesEnabled());
    }
}

TEST_F(ViewTest, ViewTakesTheFirstSelectedImageOrSaysNoneIsSelected) {
    settings.targetFolder = FromPath(home.path());
    for (const char* name : {"0.bmp", "1.bmp", "2.bmp"}) WriteBmp(home / name, Plain(1, 1));
    View().OnInitialUpdate();
    QTableWidget& list = *View().Form().fileList;
    const auto shown = AcceptNextMessage();
    View().OnViewSelectedImage();
    EXPECT_EQ(shown->text, "Select an Image from the List at bottom and then try again.");
    EXPECT_TRUE(launcher.Calls().empty());
    // Selected last but listed first: the first row in the list wins.
    list.setSelectionMode(QAbstractItemView::MultiSelection);
    list.selectRow(2);
    list.selectRow(1);
    View().OnViewSelectedImage();
    const std::string name = list.item(1, 1)->text().toStdString();
    EXPECT_EQ(launcher.Calls(),
              (std::vector<RecordingLauncher::Call>{{"edit", home.path().string() + "/" + name}}));
}

TEST_F(ViewTest, F2RenamesTheSelectedImageKeepingItsExtensionAndRefusesBadNames) {
    // Dots inside the name: only the last one starts the extension.
    const char* kShot = "Screenshot_20261206_232139.8359901.bmp";
    settings.targetFolder = FromPath(home.path());
    for (const char* name : {kShot, "taken.bmp", "upper.BMP"}) WriteBmp(home / name, Plain(1, 1));
    View().OnInitialUpdate();
    QTableWidget& list = *View().Form().fileList;
    View().show();
    const struct {
        const char* from;
        QString entered;
        const char* refusal;  // none: renamed to `to`
        const char* to;
    } cases[] = {
        {kShot, "", "Please enter a name for the image.", nullptr},
        {kShot, "a/b", "An image name cannot contain \"/\".", nullptr},
        {kShot, "taken", "An image named \"taken.bmp\" already exists in the target folder.", nullptr},
        {kShot, "Start button", nullptr, "Start button.bmp"},
        {"upper.BMP", "Ünïcode ✓.bmp", nullptr, "Ünïcode ✓.BMP"},
    };
    for (const auto& c : cases) {
        // Nobody gives the window the focus back after a dialog.
        View().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&View()));
        list.setFocus();
        list.clearSelection();
        list.selectRow(list.findItems(c.from, Qt::MatchExactly).value(0)->row());
        QString offered;
        WhenModal<QInputDialog>([&](QInputDialog& dialog) {
            offered = dialog.textValue();
            dialog.setTextValue(c.entered);
            dialog.accept();
        });
        const auto shown = c.refusal ? AcceptNextMessage() : nullptr;
        QTest::keyClick(&list, Qt::Key_F2);
        EXPECT_EQ(offered, QString(c.from).section('.', 0, -2)) << c.from;
        if (shown) {
            EXPECT_EQ(shown->text, c.refusal) << c.entered.toStdString();
        }
        const fs::path to = home / (c.to ? c.to : c.from);
        EXPECT_TRUE(fs::exists(to)) << to;
        EXPECT_EQ(fs::exists(home / c.from), c.to == nullptr) << c.from;
        EXPECT_EQ(list.findItems(Q(to.filename()), Qt::MatchExactly).size(), 1) << to;
    }
}

}  // namespace
}  // namespace glimtap::test
