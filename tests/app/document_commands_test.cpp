// The documents and the profile, on the null backends: no screen needed.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include "app/app_fixture.h"
#include "app/command_channel.h"
#include "app/command_server.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

TEST_F(AppTest, WithoutAScreenTheScreenToolsAreOffAndTheStatusLineSaysWhy) {
    ASSERT_EQ(backends->Name(), "null") << "run with GLIMTAP_BACKEND=null";
    StartApp();
    for (const QPushButton* tool : {Form().startStop, Form().selectScreenArea, Form().previewScreenArea})
        EXPECT_FALSE(tool->isEnabled()) << tool->text().toStdString();
    EXPECT_EQ(Frame().statusBar()->currentMessage(),
              "No screen available: GLIMTAP_BACKEND=null turns the desktop off");
}

TEST_F(AppTest, AnEditIsModifiedAndNewOpenARecentFileADropAndCloseAskBeforeDroppingIt) {
    const fs::path doc = home / "doc.GlimtapDataFile", other = home / "other.GlimtapDataFile";
    std::shared_ptr<ShownMessage> question;
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"15", [&] { app->OnFileNew(); }},
        {"20", [&] { const QPointer<QTimer> chooser = ChooseInNextFileDialog(Q(other)); app->OnFileOpen(); delete chooser; }},
        {"20", [&] { app->OnOpenRecentFile(1); }},
        {"20", [&] { Drop(Frame(), other); ProcessEventsUntil([&] { return !question->text.isEmpty(); }); }}};
    for (const auto& [shown, way] : ways) {
        for (const auto& [answer, stored] : {std::pair{QMessageBox::Cancel, 10}, {QMessageBox::Discard, 10}, {QMessageBox::Save, 77}}) {
            WriteDataFile(doc, 10);
            WriteDataFile(other, 20);
            StartApp(Q(other));
            StartApp(Q(doc));  // the recent files: doc, other
            Form().tolerance->setText("77");
            EXPECT_EQ(Caption(), "doc.GlimtapDataFile* - Glimtap");
            question = AcceptNextMessage(answer);
            way();
            EXPECT_EQ(question->text, "Save changes to doc.GlimtapDataFile?");
            DataFile data;
            LoadDataFile(doc, data);
            EXPECT_EQ(int32_t(data.settings.tolerance), stored);
            EXPECT_EQ(Form().tolerance->text(), answer == QMessageBox::Cancel ? "77" : shown);
        }
    }
    Form().tolerance->setText("78");
    AcceptNextMessage(QMessageBox::Cancel);
    EXPECT_FALSE(Frame().close());
    AcceptNextMessage(QMessageBox::Discard);
    EXPECT_TRUE(Frame().close());
}

// Counts of 7 digits included. A long note in the status bar is cut short, whole in its tooltip.
TEST_F(AppTest, AtTheDefaultSizeEveryTextShowsWholeAndASecondWindowSaysThatRequestsGoToTheFirst) {
    const EnvironmentOverride runtime("XDG_RUNTIME_DIR", home.path().string());
    const CommandServer first([](SearchRequest) {});
    StartApp();
    Form().counterText->setText("Tried : 8888888, Matched : 8888888");
    for (const QLabel* label : Frame().View().findChildren<QLabel*>()) {
        const QRect room = label->contentsRect();
        const QSize text = label->fontMetrics().boundingRect(room, int(label->alignment()), label->text()).size();
        EXPECT_TRUE(text.width() <= room.width() && text.height() <= room.height()) << label->text().toStdString();
    }
    for (const QAbstractButton* button : Frame().View().findChildren<QAbstractButton*>())
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
    app->ListenForCommands();
    QApplication::processEvents();
    const QStatusBar& bar = *Frame().statusBar();
    const QString why = "--toggle, --start and --stop cannot reach this window: another Glimtap window already answers at " + CommandSocketPath(false);
    EXPECT_EQ(bar.toolTip().isEmpty() ? bar.currentMessage() : bar.toolTip(), why);
    EXPECT_EQ(Form().hotKeyText->text(), "No hot key: `glimtap --toggle` reaches another Glimtap window");
    Frame().ShowStatusMessage(why + QString(200, 'f'));
    EXPECT_EQ(bar.toolTip(), why + QString(200, 'f'));
    EXPECT_TRUE(bar.currentMessage().endsWith(QChar(0x2026)) && bar.toolTip().startsWith(bar.currentMessage().chopped(1)));
}

TEST_F(AppTest, TheProfileNeverWritesThroughALinkPlantedInItsPlace) {
    const TempDir outside;
    const fs::path victim = outside / "victim", ini = home / "profile.ini";
    WriteFile(victim, {'k', 'e', 'e', 'p'});
    fs::create_symlink(victim, ini);
    const fs::path doc = home / "doc.GlimtapDataFile";
    WriteDataFile(doc, 3);
    StartApp(Q(doc));  // the recent files are written at once
    EXPECT_EQ(Profile(Q(ini)).Store().value("Recent File List/File1").toString(), Q(doc));
    EXPECT_EQ(ReadFile(victim), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(ini)));
}

}  // namespace
}  // namespace glimtap::test
