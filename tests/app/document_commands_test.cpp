// The document commands, their dialogs and the recent files: no screen needed, so they run
// on the null backends.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>

#include <cstring>

#include "app/app_fixture.h"
#include "app/help_window.h"
#include "support/bmp_writer.h"
#include "support/fillable_folder.h"
#include "ui/screen_area_selector.h"
#include "ui/screen_still.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

// Quotes, a newline, shell and command syntax, and letters from beyond ASCII.
const std::string kStrange = "my 'files' \"x\"\n$HOME `id` ü ✓ 漢";

TEST_F(AppTest, WithoutAScreenTheScreenToolsAreOffTheStatusLineSaysWhyAndF1ShowsTheManual) {
    ASSERT_EQ(backends->Name(), "null") << "run with GLIMTAP_BACKEND=null";
    StartApp();
    for (const QPushButton* tool :
         {Form().startStop, Form().selectScreenArea, Form().previewScreenArea, Form().selectImage}) {
        EXPECT_FALSE(tool->isEnabled()) << tool->text().toStdString();
    }
    EXPECT_EQ(Frame().statusBar()->currentMessage(),
              "No screen available: GLIMTAP_BACKEND=null turns the desktop off");
    Frame().show();
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(Form().tolerance, Qt::Key_F1);
    const auto* help = Frame().findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->findChild<QTextBrowser*>()->toPlainText().contains("Tolerance"));
}

TEST_F(AppTest, EditsAreModifiedAndEveryCommandThatDropsThemAsksFirst) {
    enum Command { kNew, kOpen, kRecent, kDrop, kClose };
    const struct {
        Command command;
        QMessageBox::StandardButton answer;
        bool untitled;
    } rows[] = {
        {kNew, QMessageBox::Cancel, false},   {kNew, QMessageBox::Save, true},
        {kOpen, QMessageBox::Discard, false}, {kOpen, QMessageBox::Save, false},
        {kRecent, QMessageBox::Cancel, false}, {kRecent, QMessageBox::Save, false},
        {kDrop, QMessageBox::Discard, true},  {kDrop, QMessageBox::Cancel, false},
        {kClose, QMessageBox::Cancel, true},  {kClose, QMessageBox::Save, false},
        {kClose, QMessageBox::Discard, false},
    };
    const fs::path doc = home / "doc.GlimtapDataFile";
    const fs::path other = home / "other.GlimtapDataFile";
    const fs::path named = home / "named.GlimtapDataFile";
    WriteDataFile(other, 20);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "command " << row.command << ", answer " << row.answer);
        WriteDataFile(doc, 10);
        fs::remove(named);
        // A file named at start is no edit.
        StartApp(Q(other));
        if (row.untitled) app->OnFileNew(); else app->OpenDocumentFile(Q(doc));
        const QString title = row.untitled ? "Untitled" : "doc.GlimtapDataFile";
        EXPECT_EQ(Caption(), title + " - Glimtap");
        Form().tolerance->setText("77");
        EXPECT_EQ(Caption(), title + "* - Glimtap");
        Form().tolerance->setText(row.untitled ? "15" : "10");
        EXPECT_FALSE(Frame().isWindowModified()) << "back to what was loaded";
        Form().tolerance->setText("77");
        Form().autoStop->toggle();

        const auto question = Answer(row.answer);
        const QPointer<QTimer> dialogs[] = {
            row.untitled && row.answer == QMessageBox::Save ? ChooseInNextFileDialog(Q(named)) : nullptr,
            row.command == kOpen ? ChooseInNextFileDialog(Q(other)) : nullptr};
        bool closed = false;
        switch (row.command) {
            case kNew: app->OnFileNew(); break;
            case kOpen: app->OnFileOpen(); break;
            case kRecent: app->OnOpenRecentFile(int(app->RecentFiles().Entries().indexOf(Q(other)))); break;
            case kDrop:
                Drop(Frame(), other);
                ProcessEventsUntil([&] { return !question->isEmpty(); });
                QCoreApplication::processEvents();
                break;
            case kClose: closed = Frame().close(); break;
        }
        for (const QPointer<QTimer>& dialog : dialogs) delete dialog.data();
        EXPECT_EQ(*question, "Save changes to " + title + "?");
        const fs::path saved = row.untitled ? named : doc;
        EXPECT_EQ(fs::exists(saved) ? StoredTolerance(saved) : -1,
                  row.answer == QMessageBox::Save ? 77 : row.untitled ? -1 : 10);
        if (row.answer == QMessageBox::Cancel) {
            EXPECT_EQ(Form().tolerance->text(), "77");
            EXPECT_EQ(Caption(), title + "* - Glimtap");
            EXPECT_FALSE(closed);
        } else if (row.command == kClose) {
            EXPECT_TRUE(closed);
        } else {
            EXPECT_EQ(Form().tolerance->text(), row.command == kNew ? "15" : "20");
            EXPECT_FALSE(Frame().isWindowModified());
        }
    }
}

class SaveOnAFullDisk : public AppTest, public testing::WithParamInterface<FullDisk> {};

TEST_P(SaveOnAFullDisk, KeepsTheOldFileAndSaysWhy) {
    const std::unique_ptr<FillableFolder> folder = FillableFolder::Make(GetParam());
    if (!folder) GTEST_SKIP() << "no right to mount a tmpfs here; the file size limit stands in";
    const fs::path existing = *folder / "job.GlimtapDataFile";
    WriteDataFile(existing, 1);
    const std::vector<uint8_t> old = ReadFile(existing);
    StartApp(Q(existing));
    Form().tolerance->setText("33");
    // The file size limit fails the write part way; the tmpfs has no page left for it.
    folder->Fill(16);
    const auto report = [&](const fs::path& path) {
        return QString::fromStdString("Cannot save: cannot write '" + path.string() + "': " +
                                      std::strerror(folder->NoRoomError()) + ".");
    };
    auto shown = Answer(QMessageBox::Ok);
    EXPECT_FALSE(Frame().View().OnSave());
    EXPECT_EQ(*shown, report(existing));
    const fs::path other = *folder / "other.GlimtapDataFile";
    shown = Answer(QMessageBox::Ok);
    ChooseInNextFileDialog(Q(other));
    EXPECT_FALSE(Frame().View().OnSaveAs());
    EXPECT_EQ(*shown, report(other));

    std::vector<fs::path> listing;
    for (const auto& entry : fs::directory_iterator(folder->path())) listing.push_back(entry.path());
    EXPECT_EQ(listing, std::vector{existing}) << "a partial or temporary file stayed";
    EXPECT_EQ(ReadFile(existing), old);
    EXPECT_EQ(Caption(), "job.GlimtapDataFile* - Glimtap") << "the edit is still unsaved";
}

INSTANTIATE_TEST_SUITE_P(, SaveOnAFullDisk,
                         testing::Values(FullDisk::kSmallTmpfs, FullDisk::kFileSizeLimit),
                         FullDiskName);

TEST_F(AppTest, AFileThatCannotBeOpenedChangesNothingAndLeavesTheRecentFiles) {
    const fs::path good = home / "good.GlimtapDataFile";
    const fs::path bad = home / "bad.GlimtapDataFile";
    WriteDataFile(good, 42);
    WriteDataFile(bad, 1);
    app = std::make_unique<CGlimtapApp>(AppServices{*profile, *backends, launcher});
    auto report = Answer(QMessageBox::Ok);
    EXPECT_FALSE(app->InitInstance(Q(home / "missing"))) << "a file named at start that cannot be read ends it";
    StartApp(Q(bad));
    ASSERT_TRUE(app->OpenDocumentFile(Q(good)));
    fs::resize_file(bad, 30);
    report = Answer(QMessageBox::Ok);
    app->OnOpenRecentFile(1);
    EXPECT_TRUE(report->contains("bad.GlimtapDataFile")) << report->toStdString();
    EXPECT_EQ(Caption(), "good.GlimtapDataFile - Glimtap");
    EXPECT_EQ(app->Settings().tolerance, 42);
    EXPECT_EQ(app->RecentFiles().Entries(), QStringList{Q(good)});
}

TEST_F(AppTest, StrangeNamesSaveOpenAndStayInTheRecentFiles) {
    StartApp();
    const fs::path folder = home / kStrange;
    fs::create_directories(folder);
    // Qt's dialog takes a typed double quote for the start of one of several names, so the
    // folder with one in it is gone to first.
    Form().tolerance->setText("21");
    ChooseInNextFileDialog("job 'a' $x `y` ü✓漢", Q(folder));
    ASSERT_TRUE(Frame().View().OnSaveAs());
    const fs::path saved = folder / "job 'a' $x `y` ü✓漢.GlimtapDataFile";
    EXPECT_EQ(StoredTolerance(saved), 21);
    EXPECT_EQ(Caption(), Q(saved.filename()) + " - Glimtap");

    // Opened through the dialog, with its templates in a folder of a strange name too.
    const fs::path images = folder / ("images " + kStrange);
    fs::create_directories(images);
    WriteBmp(images / ("t " + kStrange + ".bmp"), BmpPicture{2, 2, std::vector<uint32_t>(4, 0xFF00FF00u)});
    const fs::path other = folder / "other ü✓漢.GlimtapDataFile";
    WriteDataFile(other, 22, FromPath(images));
    ChooseInNextFileDialog(Q(other.filename()), Q(folder));
    app->OnFileOpen();
    EXPECT_EQ(app->Settings().targetFolder, FromPath(images));
    EXPECT_EQ(Form().fileList->rowCount(), 1);

    // Named as a drop names it, saved in place; without a folder of its own it gets one.
    const fs::path named = folder / (kStrange + ".GlimtapDataFile");
    WriteDataFile(named, 23);
    ASSERT_TRUE(app->OpenDocumentFile(Q(named)));
    EXPECT_TRUE(fs::is_directory(home / "data" / "Glimtap" / kStrange));
    Form().tolerance->setText("24");
    ASSERT_TRUE(Frame().View().OnSave());
    EXPECT_EQ(StoredTolerance(named), 24);

    const QStringList recent{Q(named), Q(other), Q(saved)};
    profile = std::make_unique<Profile>(Q(home / "profile.ini"));
    StartApp();
    EXPECT_EQ(app->RecentFiles().Entries(), recent);
    app->OnOpenRecentFile(2);
    EXPECT_EQ(Form().tolerance->text(), "21");
}

TEST_F(AppTest, TheProfileNeverWritesThroughALinkPlantedInItsPlace) {
    const TempDir outside;
    const fs::path victim = outside / "victim";
    WriteFile(victim, {'k', 'e', 'e', 'p'});
    const fs::path ini = home / "profile.ini";
    const auto plant = [&] {
        fs::remove(ini);
        fs::create_symlink(victim, ini);
    };
    profile.reset();
    plant();
    profile = std::make_unique<Profile>(Q(ini));
    const fs::path doc = home / "doc.GlimtapDataFile";
    WriteDataFile(doc, 3);
    StartApp(Q(doc));  // the recent files are written at once
    EXPECT_EQ(Profile(Q(ini)).Store().value("Recent File List/File1").toString(), Q(doc));
    plant();
    CDlgScreenAreaSelector(nullptr, ScreenStill({0, 0, 1920, 1080}, QImage()), *profile)
        .done(QDialog::Rejected);
    app.reset();
    profile.reset();
    EXPECT_EQ(ReadFile(victim), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(ini)));
}

}  // namespace
}  // namespace glimtap::test
