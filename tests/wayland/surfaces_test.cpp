#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/backends.h"
#include "platform/wayland/wayland_connection.h"
#include "response/marker_surfaces_for.h"
#include "response/screen_markers.h"
#include "support/geometry_printing.h"
#include "support/temp_dir.h"
#include "support/wayland_test_window.h"
#include "ui/screen_area_selector.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace glimtap::test {
namespace {

using platform::ScreenRect;

constexpr uint32_t kBackdrop = 0x204060;
constexpr uint32_t kRed = 0xED1C24;
constexpr uint32_t kYellow = 0xFFF200;

// `over` at the markers' alpha on the backdrop, as the compositor blends it, give or take 2.
bool Blended(uint32_t pixel, uint32_t over) {
    for (int shift : {0, 8, 16}) {
        const int top = over >> shift & 0xFF, under = kBackdrop >> shift & 0xFF;
        if (std::abs(static_cast<int>(pixel >> shift & 0xFF) - (top * 130 + under * 125) / 255) > 2) {
            return false;
        }
    }
    return true;
}

// A mouse of the test's own, moved to desktop pixels of a 3200 x 1080 layout.
class VirtualMouse {
public:
    // The seat has a pointer from the device's first move on.
    VirtualMouse()
        : pointer_(zwlr_virtual_pointer_manager_v1_create_virtual_pointer(
              connection_.VirtualPointerManager(), connection_.Seat())) {
        MoveTo(3199, 1079);
    }
    ~VirtualMouse() { zwlr_virtual_pointer_v1_destroy(pointer_); }
    void MoveTo(int32_t x, int32_t y) {
        zwlr_virtual_pointer_v1_motion_absolute(pointer_, 0, x, y, 3200, 1080);
        Send();
    }
    void Button(bool pressed) {
        zwlr_virtual_pointer_v1_button(pointer_, 0, BTN_LEFT, pressed ? 1 : 0);
        Send();
    }

private:
    void Send() {
        zwlr_virtual_pointer_v1_frame(pointer_);
        connection_.Roundtrip();
    }
    platform::WaylandConnection connection_;
    zwlr_virtual_pointer_v1* pointer_;
};

class WaylandSurfacesTest : public testing::Test {
protected:
    WaylandTestWindow left_{"HEADLESS-1", [](int32_t, int32_t) { return kBackdrop; }};
    WaylandTestWindow right_{"HEADLESS-2", [](int32_t, int32_t) { return kBackdrop; }};
    std::unique_ptr<platform::BackendSet> backends_ = platform::OpenBackends();
    std::unique_ptr<platform::ScreenCapture> capture_ = backends_->OpenCapture();
    VirtualMouse mouse_;

    uint32_t At(int32_t x, int32_t y) {
        const auto image = capture_->Capture({x, y, 1, 1});
        return image && image->width == 1 ? image->pixels[0] & 0xFFFFFF : 0xFFFFFFFF;
    }
};

// Exactly over the match on either output: outside untouched, the frame's inner half
// (2 pixels at 96 dots per inch) red, then the yellow fill; clicks reach the window under it.
TEST_F(WaylandSurfacesTest, MarkersLieExactlyOnTheMatchAndLetClicksThrough) {
    ASSERT_EQ(backends_->Name(), "wayland") << backends_->Missing();
    const std::unique_ptr<MarkerSurfaces> surfaces = MarkerSurfacesFor(*backends_);
    ScreenMarkers markers(*surfaces);
    for (const ScreenRect& rect : {ScreenRect{601, 401, 200, 100}, ScreenRect{2221, 201, 121, 80}}) {
        SCOPED_TRACE(testing::Message() << rect.left << "," << rect.top);
        markers.Show(rect, 2);
        const int32_t right = rect.left + rect.width - 1, bottom = rect.top + rect.height - 1;
        const int32_t midX = rect.left + 30, midY = rect.top + rect.height / 2;
        ASSERT_TRUE(QTest::qWaitFor([&] { return Blended(At(rect.left, midY), kRed); }, 10000));
        for (const auto& [x, y] : {std::pair{rect.left - 1, midY}, {right + 1, midY},
                                   {midX, rect.top - 1}, {midX, bottom + 1}}) {
            EXPECT_EQ(At(x, y), kBackdrop) << "outside at " << x << "," << y;
        }
        for (const auto& [x, y] : {std::pair{rect.left + 1, midY}, {right - 1, midY},
                                   {midX, rect.top}, {midX, bottom - 1}}) {
            EXPECT_PRED2(Blended, At(x, y), kRed) << x << "," << y;
        }
        for (const auto& [x, y] : {std::pair{rect.left + 2, midY}, {right - 2, midY}}) {
            EXPECT_PRED2(Blended, At(x, y), kYellow) << x << "," << y;
        }
    }
    mouse_.MoveTo(700, 450);
    mouse_.Button(true);
    mouse_.Button(false);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto events = left_.PointerEvents();
        return !events.empty() && events.back().kind == WaylandTestWindow::PointerEvent::Kind::kButton &&
               !events.back().pressed;
    }, 5000)) << "the click never reached the window under the marker";
    EXPECT_EQ(left_.PointerEvents().back().x, 700);
    EXPECT_EQ(left_.PointerEvents().back().y, 450);
    EXPECT_TRUE(QTest::qWaitFor([&] { return markers.Alive() == 0; }, 5000));
}

// The drag shows undimmed and maps to physical pixels on both outputs, and across them.
TEST_F(WaylandSurfacesTest, SelectorGivesTheRectangleDragged) {
    TempDir folder;
    Profile profile(QString::fromStdString((folder / "profile.ini").string()));
    const ScreenStill still = ScreenStill::Take(*backends_);
    const std::pair<std::array<int32_t, 4>, ScreenRect> cases[] = {
        {{1001, 101, 1501, 602}, {1001, 101, 500, 501}},
        {{2500, 600, 2001, 99}, {2001, 99, 499, 501}},
        {{1800, 300, 2000, 400}, {1800, 300, 200, 100}},
    };
    for (const auto& [drag, expected] : cases) {
        QTimer::singleShot(0, [&, drag = drag] {
            // Once the veil dims the desktop, drag as a user would.
            if (!QTest::qWaitFor([&] { return At(3000, 100) != kBackdrop; }, 10000)) return;
            mouse_.MoveTo(drag[0], drag[1]);
            mouse_.Button(true);
            mouse_.MoveTo((drag[0] + drag[2]) / 2, (drag[1] + drag[3]) / 2);
            const int32_t x = (3 * drag[0] + drag[2]) / 4, y = (3 * drag[1] + drag[3]) / 4;
            EXPECT_TRUE(QTest::qWaitFor([&] { return At(x, y) == kBackdrop; }, 5000)) << "no hole";
            mouse_.MoveTo(drag[2], drag[3]);
            mouse_.Button(false);
        });
        EXPECT_EQ(SelectScreenArea(nullptr, profile, still, *backends_), expected);
    }
}

}  // namespace
}  // namespace glimtap::test
