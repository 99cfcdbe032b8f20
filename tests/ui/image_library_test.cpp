#include "ui/image_library.h"

#include <gtest/gtest.h>

#include <QInputDialog>

#include "qt_support/path_text.h"
#include "support/bmp_writer.h"
#include "support/modal_driver.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

TEST(RefreshImageListTest, EmptiesTheListAndSaysWhyOnlyWhenAFolderCannotBeRead) {
    TempDir dir;
    WriteBmp(dir / "file.bmp", RandomPicture(1, 1, 1));
    fs::create_symlink(dir / "loop", dir / "loop");
    for (const auto& [folder, readable] : std::vector<std::pair<fs::path, bool>>{
             {dir / "missing", true}, {fs::path(), true}, {dir / "file.bmp", false}, {dir / "loop", false}}) {
        QTableWidget list(1, 4);
        QString error;
        RefreshImageList(list, folder, &error);
        EXPECT_EQ(list.rowCount(), 0) << folder;
        EXPECT_EQ(error.isEmpty(), readable) << folder;
        EXPECT_TRUE(error.isEmpty() || error.contains(PathText(folder))) << error.toStdString();
        EXPECT_TRUE(list.updatesEnabled());
    }
}

// In name order, what the search cannot read greyed with the reason; a refused new name keeps
// the box open with what was typed and why; Start says how many files the run skips.
TEST_F(ViewTest, ImagesAreListedInNameOrderRenamedInPlaceAndSkippedAloud) {
    const fs::path folder = DefaultFolder();
    WriteBmp(folder / "t10.bmp", RandomPicture(7, 5, 1));
    WriteBmp(folder / "T2.BMP", RandomPicture(3, 20, 2), {.topDown = true});
    WriteFile(folder / "notes.bmp", std::vector<uint8_t>(64, 'x'));
    WriteBmp(home / "elsewhere.bmp", RandomPicture(6, 1, 3));
    fs::create_symlink(home / "elsewhere.bmp", folder / "link.bmp");
    View().OnInitialUpdate();
    QTableWidget& list = *View().Form().fileList;
    QStringList rows;
    for (int cell = 0; cell < list.rowCount() * 4; ++cell) rows << list.item(cell / 4, cell % 4)->text();
    EXPECT_EQ(rows, QStringList({"1", "link.bmp", "6", "1", "2", "notes.bmp", "not a bitmap", "", "3", "T2.BMP",
                                 "3", "20", "4", "t10.bmp", "7", "5"}));
    EXPECT_EQ(list.item(1, 1)->foreground().color(), list.palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(list.columnSpan(1, 2), 2);

    const struct { const char *from; QString entered; const char *refusal, *to; } cases[] = {  // else renamed to `to`
        {"t10.bmp", "", "Please enter a name for the image.", "t10.bmp"},
        {"t10.bmp", "a/b", "An image name cannot contain \"/\".", "t10.bmp"},
        {"t10.bmp", "link", "An image named \"link.bmp\" already exists in the target folder.", "t10.bmp"},
        {"t10.bmp", "t10", nullptr, "t10.bmp"}, {"T2.BMP", "Ünïcode ✓.bmp", nullptr, "Ünïcode ✓.BMP"},
    };
    for (const auto& c : cases) {
        list.selectRow(list.findItems(c.from, Qt::MatchExactly).value(0)->row());
        QString offered, label, kept;
        bool open = false;  // the box, after OK
        WhenModal<QInputDialog>([&](QInputDialog& box) {
            offered = box.textValue();
            box.setTextValue(c.entered);
            box.accept();
            open = box.isVisible(), label = box.labelText(), kept = box.textValue();
            if (open) box.reject();
        });
        View().OnRenameImage();
        EXPECT_EQ(offered, QString(c.from).section('.', 0, -2)) << c.from;
        EXPECT_EQ(open, c.refusal != nullptr) << c.entered.toStdString();
        if (c.refusal) {
            EXPECT_TRUE(label.startsWith(c.refusal) && kept == c.entered) << label.toStdString();
        }
        EXPECT_TRUE(fs::exists(folder / c.to)) << c.to;
        EXPECT_EQ(fs::exists(folder / c.from), std::string(c.from) == c.to) << c.from;
        EXPECT_EQ(list.item(list.currentRow(), 1)->text(), c.to);
    }

    const QString skipped = "1 image in the target folder was skipped: it cannot be read (the list says why).";
    View().OnStartStopSearch();
    EXPECT_TRUE(ProcessEventsUntil([&] { return host.statusMessages.contains(skipped); }));  // stopped as it goes
}

}  // namespace
}  // namespace glimtap::test
