#include "ui/screen_area_selector.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "engine/template_image.h"
#include "platform/backends.h"
#include "platform/utf16.h"
#include "support/geometry_printing.h"
#include "support/temp_dir.h"
#include "support/x_drawing.h"
#include "support/x_input.h"
#include "support/x_observer.h"
#include "ui/screen_snip.h"
#include "ui/view_fixture.h"

namespace glimtap::test {
namespace {

using platform::ScreenRect;
namespace fs = std::filesystem;

constexpr xcb_keysym_t kEscape = 0xff1b;
constexpr xcb_keysym_t kReturn = 0xff0d;

// Calls `open`, which runs the area selector modally, and once the selector's veil is on the
// screen calls `act` with it, as a user would start working on it. A selector still open
// after a generous while is cancelled and the test fails, so that it never hangs the suite.
void WhileSelecting(const std::function<void(CDlgScreenAreaSelector&)>& act,
                    const std::function<void()>& open) {
    bool acted = false;
    QPointer<CDlgScreenAreaSelector> seen;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        seen = qobject_cast<CDlgScreenAreaSelector*>(QApplication::activeModalWidget());
        if (seen == nullptr) return;
        driver.stop();
        // Input must find the veil mapped on the server, not only shown by Qt.
        WindowObserver observer;
        if (!QTest::qWaitFor([&] { return observer.IsViewable(static_cast<xcb_window_t>(seen->winId())); }, 10000)) {
            ADD_FAILURE() << "the selector's window never appeared on the screen";
            return;
        }
        acted = true;
        act(*seen);
    });
    QTimer::singleShot(30000, &driver, [&] {
        if (seen == nullptr) return;
        ADD_FAILURE() << "the selector did not close";
        seen->reject();
    });
    driver.start(10);
    open();
    EXPECT_TRUE(acted) << "the selector never opened";
}

class ScreenAreaSelectorTest : public testing::Test {
protected:
    // m_oStartingPoint.x/y, m_oClosingPoint.x/y as the profile holds them.
    std::array<int, 4> Stored() const {
        std::array<int, 4> values{};
        for (size_t i = 0; i < values.size(); ++i) {
            values[i] = profile_.GetProfileInt("Settings", kNames[i], -99999);
        }
        return values;
    }

    std::optional<ScreenRect> Select(const std::function<void(CDlgScreenAreaSelector&)>& act) {
        std::optional<ScreenRect> selected;
        WhileSelecting(act, [&] {
            const ScreenStill still = ScreenStill::Take(*backends_);
            selected = SelectScreenArea(nullptr, profile_, still, *backends_);
        });
        return selected;
    }

    static constexpr const char* kNames[] = {"m_oStartingPoint.x", "m_oStartingPoint.y",
                                             "m_oClosingPoint.x", "m_oClosingPoint.y"};
    std::unique_ptr<platform::BackendSet> backends_ = platform::OpenBackends();
    TempDir folder_;
    Profile profile_{QString::fromStdString((folder_ / "profile.ini").string())};
    OtherClient user_;
};

// Also run with Qt scaling by 2, where odd physical pixels have no logical pixel of their own.
TEST_F(ScreenAreaSelectorTest, SelectsAndStoresExactlyWhatWasDragged) {
    struct Case {
        const char* what;
        std::function<void(CDlgScreenAreaSelector&)> act;
        std::optional<ScreenRect> selected;
        std::array<int, 4> stored;
    };
    const Case cases[] = {
        {"drag from odd pixels", [&](auto&) { user_.Drag(1001, 101, 1501, 602); },
         ScreenRect{1001, 101, 500, 501}, {1001, 101, 1501, 602}},
        {"drag up and left", [&](auto&) { user_.Drag(500, 400, 301, 199); },
         ScreenRect{301, 199, 199, 201}, {301, 199, 500, 400}},
        {"Escape first", [&](auto&) { user_.Tap(kEscape); }, std::nullopt, {0, 0, 0, 0}},
        {"Escape during a drag",
         [&](auto&) {
             user_.Drag(501, 401, 700, 600, false);
             user_.Tap(kEscape);
             user_.ReleaseLeft();
         },
         std::nullopt, {0, 0, 501, 401}},
        {"a click", [&](auto&) { user_.Click(641, 481); }, std::nullopt, {641, 481, 641, 481}},
        {"a flat drag", [&](auto&) { user_.Drag(100, 300, 901, 300); }, std::nullopt,
         {100, 300, 901, 300}},
        {"Enter does nothing",
         [&](CDlgScreenAreaSelector& selector) {
             user_.Tap(kReturn);
             QTest::qWait(300);
             EXPECT_TRUE(selector.isVisible());
             user_.Drag(21, 31, 22, 32);
         },
         ScreenRect{21, 31, 1, 1}, {21, 31, 22, 32}},
    };
    for (const Case& c : cases) {
        for (const char* name : kNames) profile_.WriteProfileInt("Settings", name, 7);
        EXPECT_EQ(Select(c.act), c.selected) << c.what;
        EXPECT_EQ(Stored(), c.stored) << c.what;
    }
}

// The veil's look: the screen as it was, dimmed by the program itself; no compositor runs.
uint32_t Dimmed(uint32_t pixel) {
    uint32_t dimmed = 0;
    for (int shift : {0, 8, 16}) dimmed |= ((pixel >> shift & 0xFF) * 105 / 255) << shift;
    return dimmed;
}

bool Near(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16}) {
        const int channelA = static_cast<int>(a >> shift & 0xFF);
        if (std::abs(channelA - static_cast<int>(b >> shift & 0xFF)) > 2) return false;
    }
    return true;
}

TEST_F(ScreenAreaSelectorTest, ShowsTheHoleAndTheBandWhileDragging) {
    const ScreenShot backdrop = PatternedScreen(backends_->Geometry().VirtualScreenSize());
    ScreenPainter().DrawOnRoot(backdrop);
    std::optional<ScreenShot> during;
    const std::optional<ScreenRect> selected = Select([&](CDlgScreenAreaSelector&) {
        user_.Drag(501, 401, 901, 701, false);
        const bool shown = QTest::qWaitFor(
            [&] {
                during = CaptureWholeScreen();
                return during->At(501, 401) == backdrop.At(501, 401) &&
                       during->At(900, 700) == backdrop.At(900, 700) &&
                       Near(during->At(100, 900), Dimmed(backdrop.At(100, 900)));
            },
            10000);
        EXPECT_TRUE(shown) << "the drag never showed on the screen";
        user_.ReleaseLeft();
    });
    EXPECT_EQ(selected, (ScreenRect{501, 401, 400, 300}));
    ASSERT_TRUE(during.has_value());
    KeepScreenShot(*during, "selector_during_drag");

    for (int32_t y = 401; y < 701; y += 7) {
        for (int32_t x = 501; x < 901; x += 7) {
            ASSERT_EQ(during->At(x, y), backdrop.At(x, y)) << "hole at " << x << "," << y;
        }
    }
    for (const auto& [x, y] : {std::pair{0, 0}, {1919, 1079}, {1500, 200}, {498, 550}}) {
        EXPECT_PRED2(Near, during->At(x, y), Dimmed(backdrop.At(x, y))) << x << "," << y;
    }
    // A dotted band round the hole inverts the veil.
    auto bandShows = [&](int32_t x0, int32_t y0, int32_t dx, int32_t dy, int32_t length) {
        int inverted = 0;
        for (int32_t i = 0; i < length; ++i) {
            const int32_t x = x0 + dx * i;
            const int32_t y = y0 + dy * i;
            const uint32_t veil = Dimmed(backdrop.At(x, y));
            if (Near(during->At(x, y), ~veil & 0xFFFFFF)) {
                ++inverted;
            } else if (!Near(during->At(x, y), veil)) {
                return false;
            }
        }
        return inverted > length / 5 && inverted < length;
    };
    EXPECT_TRUE(bandShows(500, 400, 1, 0, 402)) << "top";
    EXPECT_TRUE(bandShows(500, 701, 1, 0, 402)) << "bottom";
    EXPECT_TRUE(bandShows(500, 400, 0, 1, 302)) << "left";
    EXPECT_TRUE(bandShows(901, 400, 0, 1, 302)) << "right";

    const ScreenShot after = CaptureWholeScreen();
    EXPECT_EQ(after.At(100, 900), backdrop.At(100, 900)) << "the veil is gone";
}

size_t FileCount(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST_F(ViewTest, SnipIsCutFromTheScreenAsItWasWhenTheSelectorOpened) {
    // Quotes, a newline, shell syntax and letters from beyond ASCII must all reach the disk.
    const fs::path folder = home / "my 'shots' \"x\"\n$HOME `id` ü ✓ 漢";
    fs::create_directory(folder);
    const ScreenShot before = PatternedScreen(backends->Geometry().VirtualScreenSize());
    ScreenShot after = before;
    for (uint32_t& pixel : after.pixels) pixel ^= 0xFFFFFF;
    ScreenPainter screen;
    screen.DrawOnRoot(before);
    OtherClient user;
    std::optional<SnipAttempt> attempt;
    WhileSelecting(
        [&](CDlgScreenAreaSelector&) {
            // The screen changes under the veil; the snip is still what the user saw.
            screen.DrawOnRoot(after);
            user.Drag(701, 501, 660, 470);
        },
        [&] { attempt = SnipNewTemplate(nullptr, profile, FromPath(folder), *backends); });
    ASSERT_TRUE(attempt.has_value() && attempt->file.has_value());
    EXPECT_EQ(attempt->file->parent_path(), folder);
    EXPECT_EQ(attempt->file->filename().string().rfind("Screenshot_", 0), 0u);
    EXPECT_EQ(FileCount(folder), 1u);

    TemplateImage image;
    ASSERT_TRUE(LoadTemplateImage(image, *attempt->file));
    ASSERT_EQ(image.width, 41);
    ASSERT_EQ(image.height, 31);
    for (int32_t y = 0; y < 31; ++y) {
        for (int32_t x = 0; x < 41; ++x) {
            ASSERT_EQ(image.pixels[static_cast<size_t>(y * 41 + x)] & 0xFFFFFF,
                      before.At(660 + x, 470 + y))
                << x << "," << y;
        }
    }
}

TEST_F(ViewTest, SnipThatCannotBeWrittenSaysSoAndAClickTriesNothing) {
    // The folder was deleted after the form listed it.
    settings.targetFolder = FromPath(home / "vanished");
    OtherClient user;
    WhileSelecting([&](CDlgScreenAreaSelector&) { user.Click(300, 300); },
                   [&] { View().OnSelectImage(); });
    EXPECT_TRUE(host.statusMessages.isEmpty());
    WhileSelecting([&](CDlgScreenAreaSelector&) { user.Drag(100, 100, 140, 130); },
                   [&] { View().OnSelectImage(); });
    EXPECT_EQ(host.statusMessages, QStringList{"The new image could not be saved."});
    EXPECT_FALSE(fs::exists(home / "vanished"));
}

}  // namespace
}  // namespace glimtap::test
