#include "ui/glimtap_view.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <thread>

#include "response/audio_output.h"
#include "support/bmp_writer.h"
#include "support/modal_driver.h"
#include "ui/data_exchange.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

using platform::Consent;

// A desktop that asks its user first and answers as the test says, from a thread of its own
// as a desktop portal does. Its screen is known, and its captures see black, while consent is
// given; they are lost after.
class ScriptedConsent : public platform::BackendSet {
public:
    ScriptedConsent() : BackendSet("scripted", "") { desktop_ = std::make_unique<Seen>(*this); }
    platform::OverlaySurfaces Overlays() const override { return platform::OverlaySurfaces::kNone; }
    const char* QtPlatform() const override { return "offscreen"; }
    Consent ScreenConsent() const override { return consent_; }
    std::string Missing() const override { return why_; }  // written before consent_ leaves kGiven
    void WantInput(bool wanted) override { wantsInput = wanted; }
    void AskConsent() override { ++asks, Answer(Consent::kAsking, ""); }
    void OnChanged(std::function<void()> changed) override { changed_ = changed; }
    bool CanCapture() const override { return consent_ == Consent::kGiven; }
    std::unique_ptr<platform::ScreenCapture> OpenCapture() override { return std::make_unique<Seen>(*this); }
    void Answer(Consent consent, std::string why) {
        why_ = std::move(why), consent_ = consent;
        if (changed_) std::thread(changed_).join();
    }
    int asks = 0;
    bool wantsInput = false;  // by the last ask

private:
    struct Seen : platform::Desktop, platform::ScreenCapture {
        explicit Seen(ScriptedConsent& owner) : set(owner) {}
        platform::Size VirtualScreenSize() const override { return set.CanCapture() ? platform::Size{1920, 1080} : platform::Size{}; }
        std::optional<platform::ScreenImage> Capture(const platform::ScreenRect& area) override {
            if (!set.CanCapture()) throw platform::ScreenLost(set.Missing());
            return platform::ScreenImage{black.data(), area.width, area.height, area.left, area.top};
        }
        ScriptedConsent& set;
        std::vector<uint32_t> black = std::vector<uint32_t>(1920 * 1080);  // the whole screen at most
    };
    std::atomic<Consent> consent_ = Consent::kNotAsked;
    std::string why_;
    std::function<void()> changed_;
};

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
        QString text, message;
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

TEST_F(ViewTest, TheDesktopIsAskedAtTheFirstUseAndItsAnswersStartRefuseOrEndTheSearch) {
    auto& desktop = static_cast<ScriptedConsent&>(*(backends = std::make_unique<ScriptedConsent>()));
    WriteBmp(DefaultFolder() / "pattern.bmp", RandomPicture(8, 8, 5));
    settings.touchAtMatch = 1;  // the desktop asks for the pointer and touch too
    View().OnInitialUpdate();
    const QString ask = "The desktop will ask whether Glimtap may see the screen and move the pointer; ";
    const auto said = [&](const QString& text) { return ProcessEventsUntil([&] { return host.statusMessages.last() == text; }); };
    const GlimtapForm& f = View().Form();
    f.startStop->click();
    EXPECT_EQ(host.statusMessages.last(), ask + "the search starts once you allow it");
    EXPECT_TRUE(desktop.wantsInput && desktop.asks == 1);  // at the first use, never at start
    desktop.Answer(Consent::kRefused, "the desktop's user did not allow Glimtap to see the screen");
    EXPECT_TRUE(said("No screen available: the desktop's user did not allow Glimtap to see the screen"));
    EXPECT_TRUE(f.startStop->isEnabled() && !View().Search().IsRunning());
    f.startStop->click();
    desktop.Answer(Consent::kGiven, "");
    ASSERT_TRUE(ProcessEventsUntil([&] { return View().Search().Tried() > 2; }));
    // A new document's area is the screen, once shown.
    EXPECT_TRUE(settings.Area() == (platform::ScreenRect{0, 0, 1920, 1080}) && !View().IsModified());
    desktop.Answer(Consent::kRevoked, "the desktop stopped sharing the screen");
    EXPECT_TRUE(said("Search stopped: the desktop stopped sharing the screen"));
    EXPECT_TRUE(f.selectScreenArea->isEnabled() && !View().Search().IsRunning());
    bool opened = false;
    const auto closer = WhenModal<QDialog>([&](QDialog& selector) { opened = true, selector.reject(); });
    f.selectScreenArea->click();
    EXPECT_TRUE(said(ask + "the area selector opens once you allow it"));
    desktop.Answer(Consent::kGiven, "");
    EXPECT_TRUE(ProcessEventsUntil([&] { return opened; }));
    EXPECT_EQ(desktop.asks, 3);
}

}  // namespace
}  // namespace glimtap::test
