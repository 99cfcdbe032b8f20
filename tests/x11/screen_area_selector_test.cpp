#include "ui/screen_area_selector.h"

#include <gtest/gtest.h>

#include <QTest>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>

#include "platform/backends.h"
#include "support/geometry_printing.h"
#include "support/screen_shots.h"
#include "support/selector_driver.h"
#include "support/temp_dir.h"
#include "support/x_keyboard.h"
#include "support/x_mouse.h"
#include "support/x_observer.h"

namespace glimtap::test {
namespace {

using platform::ScreenRect;

constexpr xcb_keysym_t kEscape = 0xff1b;
constexpr xcb_keysym_t kReturn = 0xff0d;

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
    FakeMouse mouse_;
    OtherClient keyboard_;
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
        {"drag from odd pixels", [&](auto&) { mouse_.Drag(1001, 101, 1501, 602); },
         ScreenRect{1001, 101, 500, 501}, {1001, 101, 1501, 602}},
        {"drag up and left", [&](auto&) { mouse_.Drag(500, 400, 301, 199); },
         ScreenRect{301, 199, 199, 201}, {301, 199, 500, 400}},
        {"Escape first", [&](auto&) { keyboard_.Tap(kEscape); }, std::nullopt, {0, 0, 0, 0}},
        {"Escape during a drag",
         [&](auto&) {
             mouse_.Drag(501, 401, 700, 600, false);
             keyboard_.Tap(kEscape);
             mouse_.ReleaseLeft();
         },
         std::nullopt, {0, 0, 501, 401}},
        {"a click", [&](auto&) { mouse_.Click(641, 481); }, std::nullopt, {641, 481, 641, 481}},
        {"a flat drag", [&](auto&) { mouse_.Drag(100, 300, 901, 300); }, std::nullopt,
         {100, 300, 901, 300}},
        {"Enter does nothing",
         [&](CDlgScreenAreaSelector& selector) {
             keyboard_.Tap(kReturn);
             QTest::qWait(300);
             EXPECT_TRUE(selector.isVisible());
             mouse_.Drag(21, 31, 22, 32);
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
    RootBackdrop backdrop(PatternedScreenPixels(platform::OpenBackends()->Geometry().VirtualScreenSize()));
    std::optional<ScreenShot> during;
    const std::optional<ScreenRect> selected = Select([&](CDlgScreenAreaSelector&) {
        mouse_.Drag(501, 401, 901, 701, false);
        const bool shown = QTest::qWaitFor(
            [&] {
                during = CaptureWholeScreen();
                return during->At(501, 401) == backdrop.At(501, 401) &&
                       during->At(900, 700) == backdrop.At(900, 700) &&
                       Near(during->At(100, 900), Dimmed(backdrop.At(100, 900)));
            },
            10000);
        EXPECT_TRUE(shown) << "the drag never showed on the screen";
        mouse_.ReleaseLeft();
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

}  // namespace
}  // namespace glimtap::test
