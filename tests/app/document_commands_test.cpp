// The documents and the profile, on the null backends: no screen needed.
#include <gtest/gtest.h>

#include <QStatusBar>
#include <QTest>

#include "app/app_fixture.h"

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

TEST_F(AppTest, AnEditIsModifiedAndNewAndCloseAskBeforeDroppingIt) {
    const fs::path doc = home / "doc.GlimtapDataFile";
    const std::pair<QMessageBox::StandardButton, int32_t> rows[] = {
        {QMessageBox::Cancel, 10}, {QMessageBox::Discard, 10}, {QMessageBox::Save, 77}};
    for (const auto& [answer, stored] : rows) {
        WriteDataFile(doc, 10);
        StartApp(Q(doc));
        Form().tolerance->setText("77");
        EXPECT_EQ(Caption(), "doc.GlimtapDataFile* - Glimtap");
        const auto question = Answer(answer);
        app->OnFileNew();
        EXPECT_EQ(*question, "Save changes to doc.GlimtapDataFile?");
        DataFile data;
        LoadDataFile(doc, data);
        EXPECT_EQ(int32_t(data.settings.tolerance), stored);
        EXPECT_EQ(Form().tolerance->text(), answer == QMessageBox::Cancel ? "77" : "15");
    }
    Form().tolerance->setText("78");
    Answer(QMessageBox::Cancel);
    EXPECT_FALSE(Frame().close());
    Answer(QMessageBox::Discard);
    EXPECT_TRUE(Frame().close());
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
