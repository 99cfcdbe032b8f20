#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include <cstring>
#include <functional>

#include "app/glimtap_app.h"
#include "app/help_window.h"
#include "app/main_frame.h"
#include "engine/data_file.h"
#include "platform/utf16.h"
#include "platform/backends.h"
#include "support/bmp_writer.h"
#include "support/fillable_folder.h"
#include "support/modal_driver.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "support/x_drawing.h"
#include "ui/screen_area_selector.h"
#include "ui/screen_still.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& path) { return QString::fromStdU16String(FromPath(path)); }

// Answers the next file dialog with `path` typed into its name box, in `folder` when given.
QPointer<QTimer> ChooseInNextFileDialog(const QString& path, const QString& folder = {}) {
    return WhenModal<QFileDialog>([path, folder](QFileDialog& dialog) {
        if (!folder.isEmpty()) dialog.setDirectory(folder);
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(path);
        static_cast<QDialog&>(dialog).accept();
    });
}

int32_t StoredTolerance(const fs::path& path) {
    DataFile data;
    LoadDataFile(path, data);
    return data.settings.tolerance;
}

DataFile WriteDataFile(const fs::path& path, int32_t tolerance, const std::u16string& folder = {},
                       const std::function<void(SearchSettings&)>& change = {}) {
    DataFile data;
    data.settings.ResetToDefaults(platform::OpenBackends()->Geometry());
    data.settings.tolerance = tolerance;
    data.settings.targetFolder = folder;
    if (change) change(data.settings);
    SaveDataFile(path, data);
    return data;
}

void Drop(QWidget& target, const fs::path& file) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Q(file))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

// Quotes, a newline, shell and command syntax, and letters from beyond ASCII.
const std::string kStrange = "my 'files' \"x\"\n$HOME `id` ü ✓ 漢";

// The application with its data folder, desktop folder and profile in a temporary folder.
class AppTest : public testing::Test {
protected:
    AppTest() {
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    }

    CGlimtapApp& StartApp(const std::optional<QString>& file = std::nullopt) {
        app.reset();
        app = std::make_unique<CGlimtapApp>(AppServices{*profile, *backends, launcher});
        EXPECT_TRUE(app->InitInstance(file));
        return *app;
    }

    CMainFrame& Frame() { return app->MainFrame(); }
    const GlimtapForm& Form() { return Frame().View().Form(); }
    QString Caption() { return Frame().windowTitle().replace("[*]", Frame().isWindowModified() ? "*" : ""); }

    TempDir home;
    std::unique_ptr<Profile> profile = std::make_unique<Profile>(Q(home / "profile.ini"));
    std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    RecordingLauncher launcher;
    std::unique_ptr<CGlimtapApp> app;
};

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

        const auto question = AcceptNextMessage(row.answer);
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
                ProcessEventsUntil([&] { return !question->text.isEmpty(); });
                QCoreApplication::processEvents();
                break;
            case kClose: closed = Frame().close(); break;
        }
        for (const QPointer<QTimer>& dialog : dialogs) delete dialog.data();
        EXPECT_EQ(question->text, "Save changes to " + title + "?");
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
    auto shown = AcceptNextMessage(QMessageBox::Ok);
    EXPECT_FALSE(Frame().View().OnSave());
    EXPECT_EQ(shown->text, report(existing));
    const fs::path other = *folder / "other.GlimtapDataFile";
    shown = AcceptNextMessage(QMessageBox::Ok);
    ChooseInNextFileDialog(Q(other));
    EXPECT_FALSE(Frame().View().OnSaveAs());
    EXPECT_EQ(shown->text, report(other));

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
    auto report = AcceptNextMessage(QMessageBox::Ok);
    EXPECT_FALSE(app->InitInstance(Q(home / "missing"))) << "a file named at start that cannot be read ends it";
    StartApp(Q(bad));
    ASSERT_TRUE(app->OpenDocumentFile(Q(good)));
    fs::resize_file(bad, 30);
    report = AcceptNextMessage(QMessageBox::Ok);
    app->OnOpenRecentFile(1);
    EXPECT_TRUE(report->text.contains("bad.GlimtapDataFile")) << report->text.toStdString();
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

TEST_F(AppTest, OpeningADataFileNeverRunsItsCommandOnlyAMatchOfAStartedSearchDoes) {
    // Something to find in a corner of the screen, away from the window.
    const BmpPicture picture = RandomPicture(16, 12, 31);
    ScreenPainter painter;
    painter.DrawOnRoot(1800, 1000, picture.width, picture.height, picture.pixels);
    WriteBmp(home / "target.bmp", picture);
    const fs::path file = home / "armed.GlimtapDataFile";
    WriteDataFile(file, 15, FromPath(home.path()), [&](SearchSettings& s) {
        s.areaLeft = 1700, s.areaTop = 950, s.areaWidth = 220, s.areaHeight = 130;
        s.speechAlerts = s.overlayOnMatch = s.matchDelayMs = 0;
        s.autoStopEnabled = s.autoStopCount = s.executeEnabled = 1;
        s.executeFile = FromPath(home / "ran");
    });

    // Named at start, File > Open, a recent file and a drop.
    StartApp(Q(file));
    ChooseInNextFileDialog(Q(file));
    app->OnFileOpen();
    app->OnOpenRecentFile(0);
    const fs::path copy = home / "armed copy.GlimtapDataFile";
    fs::copy_file(file, copy);
    Drop(Frame(), copy);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Caption().startsWith("armed copy"); }));
    EXPECT_TRUE(launcher.Calls().empty());

    QTest::mouseClick(Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !Frame().View().Search().IsRunning(); }));
    // The command runs off the window's thread, once.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !launcher.Calls().empty(); }));
    QTest::qWait(100);
    EXPECT_EQ(launcher.Calls(), (std::vector<RecordingLauncher::Call>{{"open", (home / "ran").string()}}));
}

TEST_F(AppTest, ClosingTheWindowDuringASearchStopsItAndF1ShowsTheManual) {
    StartApp();
    WriteBmp(home / "data" / "Glimtap" / "Untitled" / "a.bmp", BmpPicture{2, 2, std::vector<uint32_t>(4, 0xFF123456u)});
    Frame().View().OnRefreshFileNames();
    Form().speechAlerts->setChecked(false);
    Form().autoStop->setChecked(false);
    Form().matchDelay->setText("60000");  // the close must cut this pause short
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(Form().tolerance, Qt::Key_F1);
    auto* help = Frame().findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->findChild<QTextBrowser*>()->toPlainText().contains("Tolerance"));
    QTest::mouseClick(Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Form().counterText->text().startsWith("Tried"); }));

    AcceptNextMessage(QMessageBox::Discard);
    EXPECT_TRUE(Frame().close());
    app.reset();
    // Whatever the worker still had on its way finds nobody.
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace glimtap::test
