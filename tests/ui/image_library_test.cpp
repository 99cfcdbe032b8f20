#include "ui/image_library.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTableWidget>

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/utf16.h"
#include "support/bmp_writer.h"
#include "support/modal_driver.h"
#include "support/recording_launcher.h"
#include "support/temp_dir.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;
using Row = std::array<QString, 4>;

QString Q(const fs::path& path) { return QString::fromStdU16String(FromPath(path)); }

// The list as the form makes it: four columns, no rows.
std::unique_ptr<QTableWidget> MakeList() {
    auto list = std::make_unique<QTableWidget>(0, 4);
    list->setHorizontalHeaderLabels({"Sr", "Name", "Width", "Height"});
    return list;
}

std::vector<Row> Rows(const QTableWidget& list) {
    std::vector<Row> rows;
    for (int row = 0; row < list.rowCount(); ++row) {
        Row cells;
        for (int column = 0; column < 4; ++column) {
            const QTableWidgetItem* item = list.item(row, column);
            cells[column] = item != nullptr ? item->text() : "<no item>";
        }
        rows.push_back(cells);
    }
    return rows;
}

void AddStaleRow(QTableWidget& list) {
    list.insertRow(0);
    list.setItem(0, 1, new QTableWidgetItem("stale.bmp"));
}

BmpPicture Plain(int32_t width, int32_t height) {
    return {width, height, std::vector<uint32_t>(static_cast<size_t>(width * height), 0x336699)};
}

struct ShownMessage {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* owner = nullptr;
};

// Answers the next message box with OK and tells what it showed.
void AcceptNextMessage(ShownMessage& shown) {
    WhenModal<QMessageBox>([&shown](QMessageBox& box) {
        shown = {box.windowTitle(), box.text(), box.icon(), box.standardButtons(),
                 box.parentWidget()};
        box.button(QMessageBox::Ok)->click();
    });
}

QAbstractButton* DialogButton(QFileDialog& dialog, QDialogButtonBox::ButtonRole role) {
    const auto* box = dialog.findChild<QDialogButtonBox*>();
    for (QAbstractButton* button : box->buttons()) {
        if (box->buttonRole(button) == role) return button;
    }
    throw std::runtime_error("the file dialog lacks a button");
}

TEST(RefreshImageListTest, ListsTheFolderBitmapsWithTheirSizesInListingOrder) {
    TempDir dir;
    const fs::path folder = dir / "images";
    fs::create_directory(folder);
    WriteBmp(folder / "one.bmp", Plain(7, 5));
    WriteBmp(folder / "TWO.BMP", Plain(3, 20), {.topDown = true});
    WriteBmp(folder / "Mixed.Bmp", Plain(2, 2), {.bitsPerPixel = 32});
    WriteBmp(folder / "palette.bmp", Plain(4, 9), {.bitsPerPixel = 8});
    const std::string text = "only a name that ends in .bmp, long enough for both headers....";
    WriteFile(folder / "text.bmp", {text.begin(), text.end()});
    WriteBmp(dir / "elsewhere.bmp", Plain(6, 1));
    fs::create_symlink(dir / "elsewhere.bmp", folder / "link.bmp");
    // Not listed: another extension, no extension, a folder, a dangling link.
    WriteBmp(folder / "three.png", Plain(1, 1));
    WriteBmp(folder / "one.bmpx", Plain(1, 1));
    WriteBmp(folder / "bmp", Plain(1, 1));
    fs::create_directory(folder / "x.bmp");
    fs::create_symlink(dir / "missing.bmp", folder / "dangling.bmp");

    const std::map<std::string, std::pair<QString, QString>> sizes = {
        {"one.bmp", {"7", "5"}},       {"TWO.BMP", {"3", "20"}}, {"Mixed.Bmp", {"2", "2"}},
        {"palette.bmp", {"4", "9"}},   {"text.bmp", {"0", "0"}}, {"link.bmp", {"6", "1"}},
    };
    std::vector<Row> expected;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const auto size = sizes.find(entry.path().filename().string());
        if (size == sizes.end()) continue;
        expected.push_back({QString::number(expected.size() + 1), Q(entry.path().filename()),
                            size->second.first, size->second.second});
    }
    ASSERT_EQ(expected.size(), sizes.size());

    const std::unique_ptr<QTableWidget> list = MakeList();
    AddStaleRow(*list);
    QString error = "left over";
    RefreshImageList(*list, FromPath(folder), &error);
    EXPECT_EQ(Rows(*list), expected);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(list->updatesEnabled());
    // The name is what View opens: it cannot be edited in place.
    EXPECT_FALSE(list->item(0, 1)->flags() & Qt::ItemIsEditable);

    RefreshImageList(*list, FromPath(folder), nullptr);
    EXPECT_EQ(Rows(*list), expected);
}

TEST(RefreshImageListTest, LeavesTheListEmptyForAFolderThatIsNotThere) {
    TempDir dir;
    const std::unique_ptr<QTableWidget> list = MakeList();
    for (const fs::path& folder : {dir / "missing", fs::path()}) {
        AddStaleRow(*list);
        QString error;
        RefreshImageList(*list, FromPath(folder), &error);
        EXPECT_EQ(list->rowCount(), 0) << folder;
        EXPECT_EQ(error, "") << folder;
        EXPECT_TRUE(list->updatesEnabled());
    }
}

TEST(RefreshImageListTest, SaysWhyAFolderCannotBeRead) {
    TempDir dir;
    WriteBmp(dir / "file.bmp", Plain(1, 1));
    fs::create_symlink(dir / "loop", dir / "loop");
    const std::unique_ptr<QTableWidget> list = MakeList();
    for (const fs::path& folder : {dir / "file.bmp", dir / "loop"}) {
        AddStaleRow(*list);
        QString error;
        RefreshImageList(*list, FromPath(folder), &error);
        EXPECT_EQ(list->rowCount(), 0) << folder;
        EXPECT_TRUE(error.contains(Q(folder))) << error.toStdString();
        EXPECT_TRUE(list->updatesEnabled());
    }
}

TEST(RefreshImageListTest, SaysWhyAFolderWithoutReadPermissionCannotBeRead) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads folders whatever their permissions";
    TempDir dir;
    const fs::path folder = dir / "locked";
    fs::create_directory(folder);
    WriteBmp(folder / "one.bmp", Plain(1, 1));
    fs::permissions(folder, fs::perms::none);
    const std::unique_ptr<QTableWidget> list = MakeList();
    QString error;
    RefreshImageList(*list, FromPath(folder), &error);
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_TRUE(error.contains(Q(folder))) << error.toStdString();
}

TEST(PickTargetFolderTest, StoresTheFolderTheUserSelects) {
    TempDir dir;
    fs::create_directory(dir / "chosen");
    QWidget owner;
    SearchSettings settings;
    settings.targetFolder = u"/before";

    QString title;
    QString acceptLabel;
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        dialog.setDirectory(Q(dir.path()));
        dialog.selectFile("chosen");
        QAbstractButton* accept = DialogButton(dialog, QDialogButtonBox::AcceptRole);
        acceptLabel = accept->text();
        accept->click();
    });
    const std::u16string chosen = PickTargetFolder(&owner, settings);
    EXPECT_EQ(title, "Select Target Folder to Store Selected Images for this Document - Glimtap");
    EXPECT_EQ(acceptLabel, "Select Folder");
    EXPECT_EQ(chosen, FromPath(dir / "chosen"));
    EXPECT_EQ(settings.targetFolder, chosen);

    WhenModal<QFileDialog>([](QFileDialog& dialog) {
        DialogButton(dialog, QDialogButtonBox::RejectRole)->click();
    });
    EXPECT_EQ(PickTargetFolder(&owner, settings), u"");
    EXPECT_EQ(settings.targetFolder, FromPath(dir / "chosen"));
}

TEST(ViewSelectedImageTest, OpensTheFirstSelectedImageOrSaysWhatIsMissing) {
    TempDir dir;
    WriteBmp(dir / "a.bmp", Plain(1, 1));
    WriteBmp(dir / "b.bmp", Plain(1, 1));
    WriteBmp(dir / "c.bmp", Plain(1, 1));
    const std::u16string folder = FromPath(dir.path());
    QWidget owner;
    const std::unique_ptr<QTableWidget> list = MakeList();
    RecordingLauncher launcher;

    ShownMessage empty;
    AcceptNextMessage(empty);
    ViewSelectedImage(&owner, *list, folder, launcher);
    EXPECT_EQ(empty.caption, "Glimtap");
    EXPECT_EQ(empty.text, "No Image(s) Selected Yet.\n\n"
                          "Select an Image from the List at bottom and then try again.");
    EXPECT_EQ(empty.icon, QMessageBox::Information);
    EXPECT_EQ(empty.buttons, QMessageBox::Ok);
    EXPECT_EQ(empty.owner, &owner);

    RefreshImageList(*list, folder, nullptr);
    ASSERT_EQ(list->rowCount(), 3);
    ShownMessage unselected;
    AcceptNextMessage(unselected);
    ViewSelectedImage(&owner, *list, folder, launcher);
    EXPECT_EQ(unselected.caption, "Glimtap");
    EXPECT_EQ(unselected.text, "Select an Image from the List at bottom and then try again.");
    EXPECT_EQ(unselected.icon, QMessageBox::Information);
    EXPECT_EQ(unselected.buttons, QMessageBox::Ok);
    EXPECT_TRUE(launcher.calls.empty());

    // Selected last but listed first: the first row in the list wins.
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->selectRow(2);
    list->selectRow(1);
    ViewSelectedImage(&owner, *list, folder, launcher);
    const std::string name = list->item(1, 1)->text().toStdString();
    EXPECT_EQ(launcher.calls,
              (std::vector<RecordingLauncher::Call>{{"edit", dir.path().string() + "/" + name}}));
}

}  // namespace
}  // namespace glimtap::test
