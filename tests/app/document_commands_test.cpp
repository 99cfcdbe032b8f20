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
#include "tests/app/app_fixture.h"

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

// Answers the next file dialog with `path`, as a user typing it and pressing the button would.
std::shared_ptr<DialogSeen> ChooseInNextFileDialog(const QString& path) {
    auto seen = std::make_shared<DialogSeen>();
    WhenModal<QFileDialog>([seen, path](QFileDialog& dialog) {
        *seen = {dialog.windowTitle(), dialog.directory().absolutePath(), dialog.nameFilters(),
                 dialog.selectedFiles().value(0), true};
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
    data.settings.ResetToDefaults(*platform::OpenDesktop());
    data.settings.tolerance = tolerance;
    data.settings.targetFolder = folder;
    SaveDataFile(path, data);
}

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
    app = std::make_unique<CGlimtapApp>(AppServices{*profile, *desktop, launcher});
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
