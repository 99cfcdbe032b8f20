#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include <cstring>

#include "app/about_dlg.h"
#include "engine/data_file.h"
#include "support/bmp_writer.h"
#include "support/fillable_folder.h"
#include "support/modal_driver.h"
#include "support/x_drawing.h"
#include "tests/app/app_fixture.h"
#include "ui/screen_area_selector.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

// What a file dialog looked like when it was driven.
struct DialogSeen {
    QString title;
    QString directory;
    QStringList filters;
    QString offered;
    bool shown = false;
};

// Answers the next file dialog with `path`, as a user typing it and pressing the button would;
// in `folder`, when given, as if the user had gone there first.
std::shared_ptr<DialogSeen> ChooseInNextFileDialog(const QString& path,
                                                   const QString& folder = {}) {
    auto seen = std::make_shared<DialogSeen>();
    WhenModal<QFileDialog>([seen, path, folder](QFileDialog& dialog) {
        *seen = {dialog.windowTitle(), dialog.directory().absolutePath(), dialog.nameFilters(),
                 dialog.selectedFiles().value(0), true};
        if (!folder.isEmpty()) dialog.setDirectory(folder);
        // Typed into the name box, as a user would.
        auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(path);
        // What the dialog's own button does, checks and questions included.
        static_cast<QDialog&>(dialog).accept();
        if (dialog.isVisible()) dialog.reject();  // the overwrite question was answered No
    });
    return seen;
}

void AnswerNextQuestion(QMessageBox::StandardButton answer, QString* text = nullptr) {
    WhenModal<QMessageBox>([answer, text](QMessageBox& box) {
        if (text != nullptr) *text = box.text();
        box.button(answer)->click();
    });
}

DataFile ReadBack(const fs::path& path) {
    DataFile data;
    LoadDataFile(path, data);
    return data;
}

void WriteDataFile(const fs::path& path, int32_t tolerance, const std::u16string& folder = {}) {
    DataFile data;
    data.settings.ResetToDefaults(platform::OpenBackends()->Geometry());
    data.settings.tolerance = tolerance;
    data.settings.targetFolder = folder;
    SaveDataFile(path, data);
}

// Quotes, a newline, shell and command syntax, and letters from beyond ASCII.
const std::string kStrange = "my 'files' \"x\"\n$HOME `id` ü ✓ 漢";

TEST_F(AppTest, StartsWithAnUntitledDocumentInAFullFrame) {
    StartApp();
    EXPECT_EQ(Caption(), "Untitled - Glimtap");
    EXPECT_EQ(Frame().minimumSize(), QSize(300, 200));
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Ready");
    EXPECT_EQ(FileMenu(), QStringList({"&New", "&Open...", "&Save", "Save &As...", "-",
                                       "Recent File", "-", "E&xit"}));
    const QList<QAction*> file = Frame().FileMenu().actions();
    EXPECT_EQ(file[0]->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(file[1]->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(file[2]->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_FALSE(file[5]->isEnabled());
    QStringList menus;
    for (const QAction* menu : Frame().menuBar()->actions()) menus.append(menu->text());
    EXPECT_EQ(menus, QStringList({"&File", "&Edit", "&View"}));
    for (const char* pane : {"CAP", "NUM", "SCRL"}) {
        EXPECT_NE(Frame().statusBar()->findChild<QLabel*>(pane), nullptr) << pane;
    }
    // The window fits the whole form.
    EXPECT_GE(Frame().View().width(), Frame().View().minimumWidth());
}

TEST_F(AppTest, SaveAsksForANameOnceThenWritesWhatIsOnScreen) {
    StartApp();
    Form().autoStopCount->setText("5");
    auto seen = ChooseInNextFileDialog(Q(home / "job"));
    Frame().FileMenu().actions()[2]->trigger();
    ASSERT_TRUE(seen->shown);
    EXPECT_EQ(seen->title, "Select File Path to Store Data File - Glimtap");
    EXPECT_EQ(seen->directory, Q(home / "desktop"));
    EXPECT_EQ(seen->filters, QStringList{"Glimtap Files (*.GlimtapDataFile)"});
    EXPECT_EQ(seen->offered, Q(home / "desktop" / "Untitled.GlimtapDataFile"));
    const fs::path saved = home / "job.GlimtapDataFile";
    ASSERT_TRUE(fs::exists(saved));
    EXPECT_EQ(ReadBack(saved).settings.autoStopCount, 5);
    EXPECT_EQ(Caption(), "job.GlimtapDataFile - Glimtap");
    EXPECT_EQ(app->RecentFiles().Entries(), QStringList{Q(saved)});

    // Ctrl+S takes the controls too, and writes in place without asking.
    bool asked = false;
    const QPointer<QTimer> watch = WhenModalWidget([&asked](QWidget& modal) {
        asked = true;
        modal.close();
        return true;
    });
    Form().autoStopCount->setText("6");
    Frame().show();
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(Form().tolerance, Qt::Key_S, Qt::ControlModifier);
    QTest::qWait(100);
    delete watch.data();
    EXPECT_FALSE(asked);
    EXPECT_EQ(ReadBack(saved).settings.autoStopCount, 6);
}

TEST_F(AppTest, SaveAsOverAnExistingFileAsksFirst) {
    StartApp();
    const fs::path existing = home / "old.GlimtapDataFile";
    WriteFile(existing, Bytes("keep"));

    QString question;
    AnswerNextQuestion(QMessageBox::No, &question);
    auto seen = ChooseInNextFileDialog(Q(existing));
    EXPECT_FALSE(app->SaveDocument(true));
    EXPECT_TRUE(question.contains("old.GlimtapDataFile")) << question.toStdString();
    EXPECT_EQ(ReadFile(existing), Bytes("keep"));
    EXPECT_EQ(Caption(), "Untitled - Glimtap");

    AnswerNextQuestion(QMessageBox::Yes);
    seen = ChooseInNextFileDialog(Q(existing));
    EXPECT_TRUE(app->SaveDocument(true));
    EXPECT_EQ(ReadBack(existing).settings.tolerance, 15);
    EXPECT_EQ(Caption(), "old.GlimtapDataFile - Glimtap");
}

class SaveOnAFullDisk : public AppTest, public testing::WithParamInterface<FullDisk> {};

TEST_P(SaveOnAFullDisk, KeepsTheOldFileAndSaysWhy) {
    const std::unique_ptr<FillableFolder> folder = FillableFolder::Make(GetParam());
    if (!folder) GTEST_SKIP() << "no right to mount a tmpfs here; the file size limit stands in";
    const fs::path existing = *folder / "job.GlimtapDataFile";
    WriteDataFile(existing, 1);
    const std::vector<uint8_t> old = ReadFile(existing);
    StartApp();
    ASSERT_TRUE(app->OpenDocumentFile(Q(existing)));
    Form().tolerance->setText("33");
    // The file size limit fails the write part way; the tmpfs has no page left for it.
    folder->Fill(16);
    auto report = [&](const fs::path& path) {
        return QString::fromStdString("Cannot save: cannot write '" + path.string() +
                                      "': " + std::strerror(folder->NoRoomError()) + ".");
    };

    // In place.
    QString shown;
    AnswerNextQuestion(QMessageBox::Ok, &shown);
    Frame().FileMenu().actions()[2]->trigger();
    EXPECT_EQ(shown, report(existing));

    // Under a new name beside it.
    const fs::path other = *folder / "other.GlimtapDataFile";
    shown.clear();
    AnswerNextQuestion(QMessageBox::Ok, &shown);
    ChooseInNextFileDialog(Q(other));
    Frame().FileMenu().actions()[3]->trigger();
    EXPECT_EQ(shown, report(other));

    std::vector<fs::path> listing;
    for (const auto& entry : fs::directory_iterator(folder->path())) listing.push_back(entry.path());
    EXPECT_EQ(listing, std::vector{existing}) << "a partial or temporary file stayed";
    EXPECT_EQ(ReadFile(existing), old);
    EXPECT_EQ(Caption(), "job.GlimtapDataFile - Glimtap");
    EXPECT_EQ(app->RecentFiles().Entries(), QStringList{Q(existing)});
}

INSTANTIATE_TEST_SUITE_P(, SaveOnAFullDisk,
                         testing::Values(FullDisk::kSmallTmpfs, FullDisk::kFileSizeLimit),
                         FullDiskName);

TEST_F(AppTest, OpenKeepsTheFilesValuesAndAFailedOpenChangesNothing) {
    StartApp();
    const fs::path images = home / "images";
    fs::create_directories(images);
    WriteBmp(images / "a.bmp", BmpPicture{2, 3, std::vector<uint32_t>(6, 0xFF00FF00u)});
    const fs::path good = home / "good.GlimtapDataFile";
    WriteDataFile(good, 42, FromPath(images));

    auto seen = ChooseInNextFileDialog(Q(good));
    Frame().FileMenu().actions()[1]->trigger();
    EXPECT_EQ(seen->title, "Select File Path to Load Data File - Glimtap");
    EXPECT_EQ(seen->directory, Q(home / "desktop"));
    EXPECT_EQ(Caption(), "good.GlimtapDataFile - Glimtap");
    EXPECT_EQ(Form().tolerance->text(), "42");
    EXPECT_EQ(app->Settings().targetFolder, FromPath(images));
    EXPECT_EQ(Form().fileList->rowCount(), 1);

    const fs::path bad = home / "bad.GlimtapDataFile";
    std::vector<uint8_t> cut = ReadFile(good);
    cut.resize(30);
    WriteFile(bad, cut);
    QString report;
    AnswerNextQuestion(QMessageBox::Ok, &report);
    EXPECT_FALSE(app->OpenDocumentFile(Q(bad)));
    EXPECT_TRUE(report.contains("bad.GlimtapDataFile")) << report.toStdString();
    EXPECT_EQ(Caption(), "good.GlimtapDataFile - Glimtap");
    EXPECT_EQ(Form().tolerance->text(), "42");
    EXPECT_EQ(app->Settings().tolerance, 42);
    EXPECT_EQ(app->RecentFiles().Entries(), QStringList{Q(good)});

    // New puts everything back to the defaults and the title's own folder.
    Frame().FileMenu().actions()[0]->trigger();
    EXPECT_EQ(Caption(), "Untitled - Glimtap");
    EXPECT_EQ(Form().tolerance->text(), "15");
    EXPECT_EQ(app->Settings().targetFolder, FromPath(home / "data" / "Glimtap" / "Untitled"));
}

TEST_F(AppTest, RecentFilesKeepTheFourNewestAcrossRuns) {
    StartApp();
    std::vector<QString> paths;
    for (int i = 1; i <= 5; ++i) {
        const fs::path path = home / ("doc" + std::to_string(i) + ".GlimtapDataFile");
        WriteDataFile(path, i);
        paths.push_back(Q(path));
        ASSERT_TRUE(app->OpenDocumentFile(paths.back()));
    }
    const QStringList newest{paths[4], paths[3], paths[2], paths[1]};
    EXPECT_EQ(app->RecentFiles().Entries(), newest);

    app.reset();
    profile = std::make_unique<Profile>(Q(home / "profile.ini"));
    StartApp();
    EXPECT_EQ(FileMenu().mid(5, 4), QStringList({"&1 " + paths[4], "&2 " + paths[3],
                                                 "&3 " + paths[2], "&4 " + paths[1]}));
    Frame().FileMenu().actions()[6]->trigger();
    EXPECT_EQ(Caption(), "doc4.GlimtapDataFile - Glimtap");
    EXPECT_EQ(Form().tolerance->text(), "4");
    EXPECT_EQ(app->RecentFiles().Entries().first(), paths[3]);

    // A file that is gone is reported and leaves the list.
    fs::remove(ToPath(paths[4].toStdU16String()));
    AnswerNextQuestion(QMessageBox::Ok);
    app->OnOpenRecentFile(1);
    EXPECT_FALSE(app->RecentFiles().Entries().contains(paths[4]));
}

TEST_F(AppTest, StrangeNamesSaveOpenAndStayInTheRecentFiles) {
    StartApp();
    const fs::path folder = home / kStrange;
    fs::create_directories(folder);

    // Save As, the name typed into the dialog. Qt's dialog takes a typed double quote for
    // the start of one of several names, so the folder with one in it is gone to first.
    Form().tolerance->setText("21");
    ChooseInNextFileDialog("job 'a' $x `y` ü✓漢", Q(folder));
    Frame().FileMenu().actions()[3]->trigger();
    const fs::path saved = folder / "job 'a' $x `y` ü✓漢.GlimtapDataFile";
    EXPECT_EQ(ReadBack(saved).settings.tolerance, 21);
    EXPECT_EQ(Caption(), Q(saved.filename()) + " - Glimtap");

    // Open through the dialog, with its templates in a folder of a strange name too.
    const fs::path images = folder / ("images " + kStrange);
    fs::create_directories(images);
    WriteBmp(images / ("t " + kStrange + ".bmp"),
             BmpPicture{2, 2, std::vector<uint32_t>(4, 0xFF00FF00u)});
    const fs::path other = folder / "other ü✓漢.GlimtapDataFile";
    WriteDataFile(other, 22, FromPath(images));
    ChooseInNextFileDialog(Q(other.filename()), Q(folder));
    Frame().FileMenu().actions()[1]->trigger();
    EXPECT_EQ(Caption(), Q(other.filename()) + " - Glimtap");
    EXPECT_EQ(app->Settings().targetFolder, FromPath(images));
    EXPECT_EQ(Form().fileList->rowCount(), 1);

    // Named as the command line or a drop names it, and saved in place; a document without
    // a folder of its own gets one named after it.
    const fs::path named = folder / (kStrange + ".GlimtapDataFile");
    WriteDataFile(named, 23);
    ASSERT_TRUE(app->OpenDocumentFile(Q(named)));
    EXPECT_EQ(Form().tolerance->text(), "23");
    EXPECT_EQ(app->Settings().targetFolder, FromPath(home / "data" / "Glimtap" / kStrange));
    EXPECT_TRUE(fs::is_directory(home / "data" / "Glimtap" / kStrange));
    Form().tolerance->setText("24");
    Frame().FileMenu().actions()[2]->trigger();
    EXPECT_EQ(ReadBack(named).settings.tolerance, 24);

    // The profile gives the names back as they were at the next start.
    const QStringList recent{Q(named), Q(other), Q(saved)};
    EXPECT_EQ(app->RecentFiles().Entries(), recent);
    app.reset();
    profile = std::make_unique<Profile>(Q(home / "profile.ini"));
    StartApp();
    EXPECT_EQ(app->RecentFiles().Entries(), recent);
    app->OnOpenRecentFile(2);
    EXPECT_EQ(Caption(), Q(saved.filename()) + " - Glimtap");
    EXPECT_EQ(Form().tolerance->text(), "21");
}

TEST_F(AppTest, TheProfileNeverWritesThroughALinkPlantedInItsPlace) {
    const TempDir outside;
    const fs::path victim = outside / "victim";
    WriteFile(victim, Bytes("precious\n"));
    const fs::path ini = home / "profile.ini";
    auto plant = [&] {
        fs::remove(ini);
        fs::create_symlink(victim, ini);
    };
    profile.reset();
    plant();
    profile = std::make_unique<Profile>(Q(ini));
    StartApp();

    // The recent files are written at once.
    const fs::path doc = home / "doc.GlimtapDataFile";
    WriteDataFile(doc, 3);
    ASSERT_TRUE(app->OpenDocumentFile(Q(doc)));
    EXPECT_EQ(ReadFile(victim), Bytes("precious\n"));
    ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(ini)));
    EXPECT_EQ(Profile(Q(ini)).settings().value("Recent File List/File1").toString(), Q(doc));

    // The selector's corners, when the profile goes.
    plant();
    {
        CDlgScreenAreaSelector selector(nullptr, {0, 0, 1920, 1080}, *profile);
        selector.done(QDialog::Rejected);
    }
    app.reset();
    profile.reset();
    EXPECT_EQ(ReadFile(victim), Bytes("precious\n"));
    ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(ini)));
    EXPECT_EQ(Profile(Q(ini)).GetProfileInt("Settings", "m_oClosingPoint.x", -1), 0);
}

TEST_F(AppTest, OpeningADataFileNeverRunsItsCommandOnlyAMatchOfAStartedSearchDoes) {
    // Something to find in a corner of the screen, away from the window.
    const BmpPicture picture = RandomPicture(16, 12, 31);
    ScreenPainter painter;
    painter.DrawOnRoot(1800, 1000, picture.width, picture.height, picture.pixels);
    const fs::path images = home / "images";
    fs::create_directories(images);
    WriteBmp(images / "target.bmp", picture);
    DataFile data;
    data.settings.ResetToDefaults(backends->Geometry());
    data.settings.targetFolder = FromPath(images);
    data.settings.areaLeft = 1700;
    data.settings.areaTop = 950;
    data.settings.areaWidth = 220;
    data.settings.areaHeight = 130;
    data.settings.speechAlerts = 0;
    data.settings.overlayOnMatch = 0;
    data.settings.matchDelayMs = 0;
    data.settings.autoStopEnabled = 1;
    data.settings.autoStopCount = 1;
    data.settings.executeEnabled = 1;
    data.settings.executeVerb = u"open";
    data.settings.executeFile = FromPath(home / "ran");
    const fs::path file = home / "armed.GlimtapDataFile";
    SaveDataFile(file, data);

    // Started with the file named on the command line.
    app = std::make_unique<CGlimtapApp>(AppServices{*profile, *backends, launcher});
    ASSERT_TRUE(app->InitInstance(Q(file)));
    EXPECT_TRUE(Form().execute->isChecked());
    // File > Open, the recent file list and a drop.
    ChooseInNextFileDialog(Q(file));
    Frame().FileMenu().actions()[1]->trigger();
    app->OnOpenRecentFile(0);
    const fs::path copy = home / "armed copy.GlimtapDataFile";
    fs::copy_file(file, copy);
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(Q(copy))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &drop);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Caption().startsWith("armed copy"); }));
    EXPECT_EQ(app->RecentFiles().Entries(), QStringList({Q(copy), Q(file)}));
    EXPECT_TRUE(launcher.calls.empty());

    QTest::mouseClick(Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !Frame().View().Search().IsRunning(); }));
    EXPECT_EQ(Form().counterText->text(), "Tried : 1, Matched : 1");
    EXPECT_EQ(launcher.calls,
              (std::vector<RecordingLauncher::Call>{{"open", (home / "ran").string()}}));
}

TEST_F(AppTest, DroppedFilesOpenOneAfterAnother) {
    StartApp();
    const fs::path first = home / "first.GlimtapDataFile";
    const fs::path second = home / "second.GlimtapDataFile";
    WriteDataFile(first, 1);
    WriteDataFile(second, 2);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Q(first)), QUrl::fromLocalFile(Q(second))});
    // A drag enters the window and ends there.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &drop);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Caption().startsWith("second"); }));
    EXPECT_EQ(app->RecentFiles().Entries(), QStringList({Q(second), Q(first)}));
    EXPECT_EQ(Form().tolerance->text(), "2");
}

TEST_F(AppTest, ANamedFileThatCannotBeOpenedEndsTheStart) {
    app = std::make_unique<CGlimtapApp>(AppServices{*profile, *backends, launcher});
    QString report;
    AnswerNextQuestion(QMessageBox::Ok, &report);
    EXPECT_FALSE(app->InitInstance(Q(home / "missing.GlimtapDataFile")));
    EXPECT_TRUE(report.contains("missing.GlimtapDataFile"));
    EXPECT_FALSE(app->MainFrame().isVisible());
}

TEST_F(AppTest, ClosingTheWindowDuringASearchStopsIt) {
    StartApp();
    const fs::path folder = home / "data" / "Glimtap" / "Untitled";
    WriteBmp(folder / "a.bmp", BmpPicture{2, 2, std::vector<uint32_t>(4, 0xFF123456u)});
    Frame().View().OnRefreshFileNames();
    Form().speechAlerts->setChecked(false);
    Form().autoStop->setChecked(false);
    Form().matchDelay->setText("60000");  // the close must cut this pause short
    QTest::mouseClick(Form().startStop, Qt::LeftButton);
    ASSERT_TRUE(Frame().View().Search().IsRunning());
    ASSERT_TRUE(ProcessEventsUntil([&] { return Form().counterText->text().startsWith("Tried"); }));

    EXPECT_TRUE(Frame().close());
    app.reset();
    // Whatever the worker still had on its way finds nobody.
    QCoreApplication::processEvents();
}

TEST_F(AppTest, AboutBoxShowsNameAndVersion) {
    StartApp();
    QString title;
    QStringList texts;
    WhenModal<CAboutDlg>([&](CAboutDlg& about) {
        title = about.windowTitle();
        for (const QLabel* label : about.findChildren<QLabel*>()) texts.append(label->text());
        about.accept();
    });
    app->OnAppAbout();
    EXPECT_EQ(title, "About Glimtap");
    EXPECT_TRUE(texts.contains("Glimtap, Version 1.0"));
}

}  // namespace
}  // namespace glimtap::test
