#include "ui/screen_area_selector.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QTest>

#include <cstdint>
#include <optional>

#include "engine/search_settings.h"
#include "platform/backends.h"
#include "support/geometry_printing.h"
#include "support/screen_shots.h"
#include "support/selector_driver.h"
#include "support/temp_dir.h"
#include "support/x_keyboard.h"
#include "support/x_mouse.h"
#include "support/x_observer.h"
#include "ui/search_area.h"

namespace glimtap::test {
namespace {

using platform::ScreenRect;

constexpr xcb_keysym_t kEscape = 0xff1b;
constexpr xcb_keysym_t kReturn = 0xff0d;

struct StoredCorners {
    int32_t startingX, startingY, closingX, closingY;
    friend bool operator==(const StoredCorners&, const StoredCorners&) = default;
};

std::ostream& operator<<(std::ostream& out, const StoredCorners& c) {
    return out << "(" << c.startingX << "," << c.startingY << ")-(" << c.closingX << ","
               << c.closingY << ")";
}

class ScreenAreaSelectorTest : public testing::Test {
protected:
    StoredCorners Stored() const {
        auto read = [&](const char* name) {
            return profile_.GetProfileInt("Settings", name, -99999);
        };
        return {read("m_oStartingPoint.x"), read("m_oStartingPoint.y"), read("m_oClosingPoint.x"),
                read("m_oClosingPoint.y")};
    }

    void StoreEarlierSelection() {
        for (const char* name : {"m_oStartingPoint.x", "m_oStartingPoint.y", "m_oClosingPoint.x",
                                 "m_oClosingPoint.y"}) {
            profile_.WriteProfileInt("Settings", name, 7);
        }
    }

    // Runs the selector, letting `act` work on it, and returns what it selected.
    std::optional<ScreenRect> Select(const std::function<void(CDlgScreenAreaSelector&)>& act) {
        std::optional<ScreenRect> selected;
        WhileSelecting(act, [&] { selected = SelectScreenArea(nullptr, profile_, backends_->Geometry()); });
        return selected;
    }

    std::unique_ptr<platform::BackendSet> backends_ = platform::OpenBackends();
    TempDir folder_;
    Profile profile_{QString::fromStdString((folder_ / "profile.ini").string())};
    FakeMouse mouse_;
};

TEST_F(ScreenAreaSelectorTest, DragStoresTheCornersAndBecomesTheSearchArea) {
    WindowObserver observer;
    xcb_window_t veil = 0;
    const std::optional<ScreenRect> selected = Select([&](CDlgScreenAreaSelector& selector) {
        veil = static_cast<xcb_window_t>(selector.winId());
        // The veil covers the whole root, 150/255 opaque, out of the window manager's hands,
        // and is what the application waits on.
        EXPECT_EQ(observer.RootGeometry(veil), (ScreenRect{0, 0, 1920, 1080}));
        EXPECT_TRUE(observer.IsOverrideRedirect(veil));
        const std::optional<uint32_t> opacity = observer.Opacity(veil);
        ASSERT_TRUE(opacity.has_value());
        EXPECT_NEAR(*opacity, 150.0 * 0x01010101, 2.0);
        EXPECT_EQ(QApplication::activeModalWidget(), &selector);
        EXPECT_EQ(selector.cursor().shape(), Qt::CrossCursor);
        mouse_.Drag(500, 400, 300, 200);
    });

    ASSERT_EQ(selected, (ScreenRect{300, 200, 200, 200}));
    EXPECT_EQ(Stored(), (StoredCorners{300, 200, 500, 400}));
    // Gone from the server by the time the caller gets the rectangle.
    EXPECT_FALSE(observer.IsViewable(veil));

    SearchSettings settings;
    ASSERT_TRUE(ApplySelectedArea(selected, settings));
    EXPECT_EQ(SearchAreaText(settings), "Left : 300, Top : 200\n\nWidth : 200, Height : 200");

    // The next selection overwrites the stored corners.
    EXPECT_EQ(Select([&](CDlgScreenAreaSelector&) { mouse_.Drag(10, 20, 1910, 1070); }),
              (ScreenRect{10, 20, 1900, 1050}));
    EXPECT_EQ(Stored(), (StoredCorners{10, 20, 1910, 1070}));
}

TEST_F(ScreenAreaSelectorTest, EscapeAndEmptyDragsChangeNothing) {
    SearchSettings settings;
    settings.areaLeft = 1;
    settings.areaTop = 2;
    settings.areaWidth = 3;
    settings.areaHeight = 4;
    OtherClient keyboard;

    // Escape before any drag; the corners are still written, both at the screen's origin.
    StoreEarlierSelection();
    EXPECT_FALSE(ApplySelectedArea(Select([&](CDlgScreenAreaSelector&) { keyboard.Tap(kEscape); }),
                                   settings));
    EXPECT_EQ(Stored(), (StoredCorners{0, 0, 0, 0}));

    // Escape during a drag: the interrupted drag's start is the far corner.
    StoreEarlierSelection();
    EXPECT_FALSE(ApplySelectedArea(Select([&](CDlgScreenAreaSelector&) {
                                       mouse_.Drag(500, 400, 700, 600, false);
                                       keyboard.Tap(kEscape);
                                   }),
                                   settings));
    mouse_.ReleaseLeft();
    EXPECT_EQ(Stored(), (StoredCorners{0, 0, 500, 400}));

    // A click without movement and a purely horizontal drag end the selector with
    // nothing selected.
    EXPECT_FALSE(ApplySelectedArea(Select([&](CDlgScreenAreaSelector&) { mouse_.Click(640, 480); }),
                                   settings));
    EXPECT_EQ(Stored(), (StoredCorners{640, 480, 640, 480}));
    EXPECT_FALSE(ApplySelectedArea(
        Select([&](CDlgScreenAreaSelector&) { mouse_.Drag(100, 300, 900, 300); }), settings));
    EXPECT_EQ(Stored(), (StoredCorners{100, 300, 900, 300}));

    // Enter does nothing: the selector stays until the drag ends it.
    EXPECT_EQ(Select([&](CDlgScreenAreaSelector& selector) {
                  keyboard.Tap(kReturn);
                  QTest::qWait(300);
                  EXPECT_TRUE(selector.isVisible());
                  mouse_.Drag(20, 30, 22, 32);
              }),
              (ScreenRect{20, 30, 2, 2}));

    EXPECT_EQ(SearchAreaText(settings), "Left : 1, Top : 2\n\nWidth : 3, Height : 4");
}

TEST_F(ScreenAreaSelectorTest, ShowsTheHoleAndTheBandWhileDragging) {
    const platform::Size size = platform::OpenBackends()->Geometry().VirtualScreenSize();
    RootBackdrop backdrop(PatternedScreenPixels(size));

    std::optional<ScreenShot> during;
    uint32_t veilColour = 0;
    const std::optional<ScreenRect> selected = Select([&](CDlgScreenAreaSelector& selector) {
        veilColour = selector.palette().window().color().rgb() & 0xFFFFFF;
        mouse_.Drag(500, 400, 900, 700, false);
        // Until the veil shows the whole hole and the band's bottom edge.
        const bool shown = QTest::qWaitFor(
            [&] {
                during = CaptureWholeScreen();
                bool band = false;
                for (int32_t x = 499; x <= 900; ++x) {
                    band = band || during->At(x, 700) == (~veilColour & 0xFFFFFF);
                }
                return band && during->At(500, 400) == backdrop.At(500, 400) &&
                       during->At(899, 699) == backdrop.At(899, 699);
            },
            10000);
        EXPECT_TRUE(shown) << "the drag never showed on the screen";
        mouse_.ReleaseLeft();
    });
    EXPECT_EQ(selected, (ScreenRect{500, 400, 400, 300}));
    ASSERT_TRUE(during.has_value());
    KeepScreenShot(*during, "selector_during_drag");

    // Inside the hole the screen shows unveiled; elsewhere the veil covers it (opaque
    // here: Xvfb has no compositor).
    for (int32_t y = 400; y < 700; y += 7) {
        for (int32_t x = 500; x < 900; x += 7) {
            ASSERT_EQ(during->At(x, y), backdrop.At(x, y)) << "hole at " << x << "," << y;
        }
    }
    for (const auto& [x, y] :
         {std::pair{0, 0}, {1919, 1079}, {100, 900}, {1500, 200}, {497, 550}}) {
        EXPECT_EQ(during->At(x, y), veilColour) << "veil at " << x << "," << y;
    }
    // The dotted band runs round the hole on the veil, in the veil's inverse.
    auto bandShows = [&](int32_t x0, int32_t y0, int32_t dx, int32_t dy, int32_t length) {
        int inverted = 0;
        for (int32_t i = 0; i < length; ++i) {
            const uint32_t pixel = during->At(x0 + dx * i, y0 + dy * i);
            if (pixel == (~veilColour & 0xFFFFFF)) {
                ++inverted;
            } else if (pixel != veilColour) {
                return false;
            }
        }
        return inverted > length / 5 && inverted < length;
    };
    EXPECT_TRUE(bandShows(499, 399, 1, 0, 402)) << "top";
    EXPECT_TRUE(bandShows(499, 700, 1, 0, 402)) << "bottom";
    EXPECT_TRUE(bandShows(499, 399, 0, 1, 302)) << "left";
    EXPECT_TRUE(bandShows(900, 399, 0, 1, 302)) << "right";

    // Once the selector has returned, the screen is the screen again.
    const ScreenShot after = CaptureWholeScreen();
    for (const auto& [x, y] : {std::pair{0, 0}, {1919, 1079}, {499, 399}, {700, 550}}) {
        EXPECT_EQ(after.At(x, y), backdrop.At(x, y)) << "at " << x << "," << y;
    }
}

}  // namespace
}  // namespace glimtap::test
