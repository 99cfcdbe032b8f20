#include "ui/glimtap_view.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "response/audio_output.h"
#include "support/modal_driver.h"
#include "ui/data_exchange.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

TEST_F(ViewTest, ControlsAndSettingsExchangeBothWaysAndStoredValuesAreKept) {
    settings.matchDelayMs = -20;  // out of range, as a data file may hold it
    settings.beepForSearch = 2;
    settings.executeFile = u"gedit «x»";
    View().OnInitialUpdate();
    const GlimtapForm& f = View().Form();
    EXPECT_EQ(f.matchDelay->text(), "-20");
    EXPECT_TRUE(f.matchDelay->toolTip().endsWith(
        "\nThe data file holds -20, outside 0 to 86400000: it is kept as it is, and 0 or less means no pause, "
        "more a pause that long."));
    EXPECT_NE(f.matchDelay->palette().color(QPalette::Base), f.tolerance->palette().color(QPalette::Base));    EXPECT_EQ(f.executeFile->text(), QString::fromUtf8("gedit «x»"));
    const struct {
        QWidget* control;
        QString value;
        AtomicInt32* field;
        int32_t taken;
    } rows[] = {
        {f.autoStop, "0", &settings.autoStopEnabled, 0},   {f.autoStopCount, " 12 ", &settings.autoStopCount, 12},
        {f.speechAlerts, "1", &settings.speechAlerts, 1},  {f.overlayOnMatch, "0", &settings.overlayOnMatch, 0},
        {f.tolerance, "0", &settings.tolerance, 0},        {f.cursorToMatch, "1", &settings.moveCursorToMatch, 1},
        {f.touchAtMatch, "1", &settings.touchAtMatch, 1},  {f.execute, "1", &settings.executeEnabled, 1},
        {f.beepForSearch, "1", &settings.beepForSearch, 2}, {f.matchDelay, "-20", &settings.matchDelayMs, -20},
    };
    for (const auto& row : rows) {
        if (auto* box = qobject_cast<QCheckBox*>(row.control)) box->setChecked(row.value == "1");
        if (auto* edit = qobject_cast<QLineEdit*>(row.control)) edit->setText(row.value);
    }
    f.executeVerb->setText("edit");
    EXPECT_FALSE(TakeSettings(f, settings).has_value());  // stored values are taken as they are
    for (const auto& row : rows) EXPECT_EQ(*row.field, row.taken) << row.control->metaObject()->className();
    EXPECT_EQ(settings.executeVerb, u"edit");
    f.matchDelay->setText("20");  // a value of the user's own is no longer marked
    EXPECT_EQ(f.matchDelay->palette().color(QPalette::Base), f.tolerance->palette().color(QPalette::Base));
    EXPECT_FALSE(f.matchDelay->toolTip().contains("data file"));
}

TEST_F(ViewTest, NumberFieldsTakeDigitsOnlyAndRefusalsNameFieldAndRange) {
    View().OnInitialUpdate();
    const GlimtapForm& f = View().Form();
    const struct {
        QLineEdit* edit;
        QString text;
        QString message;
    } rows[] = {
        {f.tolerance, "256", "Tolerance must be a whole number from 0 to 255."},
        {f.matchDelay, "", "Match Time Delay (ms) must be a whole number from 0 to 86400000."},
        {f.autoStopCount, "99999999999", "Auto stop count must be a whole number from 0 to 2147483647."},
    };
    for (const auto& row : rows) {
        row.edit->clear();
        QTest::keyClicks(row.edit, "4x-2");
        EXPECT_EQ(row.edit->text(), "42");
        row.edit->setText(row.text);
        const auto shown = AcceptNextMessage();
        View().OnStartStopSearch();  // the button's and the hot key's way in
        EXPECT_EQ(shown->text, row.message);
        EXPECT_EQ(View().focusWidget(), row.edit);
        EXPECT_FALSE(View().Search().IsRunning());
    }
}

// Run with and without a sound server: said once, only where nothing can be heard.
TEST_F(ViewTest, SaysOnceThatBeepsAndSpeechAreOffWithoutAudioOutput) {
    View().OnInitialUpdate();
    View().Form().speechAlerts->click();
    View().Form().beepForSearch->click();
    EXPECT_EQ(host.statusMessages.join('|'), NoAudioOutput() ? "no audio output, so beeps and spoken alerts are off" : "");
}

}  // namespace
}  // namespace glimtap::test
