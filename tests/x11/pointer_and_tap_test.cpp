#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

#include "platform/backends.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_pointer.h"
#include "support/geometry_printing.h"
#include "support/modal_driver.h"

namespace glimtap::test {
namespace {

using platform::Point;

// The pointer of one backend set, watched from a connection of the test's own.
TEST(X11PointerTest, MovesReportsAndNudgesThePointer) {
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    platform::Pointer& pointer = *backends->MousePointer();
    const platform::X11Connection x;
    platform::X11Pointer observer(x);

    ASSERT_TRUE(pointer.MoveTo(300, 400));
    EXPECT_EQ(observer.Position(), (Point{300, 400}));
    pointer.NudgeHorizontally(+1);
    EXPECT_EQ(observer.Position(), (Point{301, 400}));
    pointer.NudgeHorizontally(-1);
    EXPECT_EQ(observer.Position(), (Point{300, 400}));

    // Beyond 16 bits a coordinate must not wrap round to a small one; the server keeps the
    // pointer on the screen.
    ASSERT_TRUE(pointer.MoveTo(65536 + 10, -65536 + 10));
    const std::optional<Point> edge = observer.Position();
    ASSERT_TRUE(edge.has_value());
    EXPECT_GT(edge->x, 10);
    EXPECT_EQ(edge->y, 0);
}

// A window that notes the buttons pressed and released on it, and where on the screen.
class ButtonWindow : public QWidget {
public:
    std::vector<std::pair<Qt::MouseButton, Point>> presses, releases;

protected:
    void mousePressEvent(QMouseEvent* event) override { Note(presses, event); }
    void mouseReleaseEvent(QMouseEvent* event) override { Note(releases, event); }

private:
    static void Note(std::vector<std::pair<Qt::MouseButton, Point>>& into, QMouseEvent* event) {
        const QPoint at = event->globalPosition().toPoint();
        into.emplace_back(event->button(), Point{at.x(), at.y()});
    }
};

TEST(XTestTapTest, TapPressesAndReleasesTheFirstButtonAtThePoint) {
    ButtonWindow window;
    window.setWindowFlags(Qt::X11BypassWindowManagerHint);
    window.setGeometry(100, 120, 200, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const std::unique_ptr<platform::BackendSet> backends = platform::OpenBackends();
    // No uinput here: the tap falls back to XTest clicks.
    platform::TouchInjector& tap = *backends->Touch();
    ASSERT_TRUE(tap.Prepare());

    // Off the screen there is nothing to tap: the server would press at the edge instead.
    EXPECT_FALSE(tap.Down({-5, 130}));
    EXPECT_FALSE(tap.Down({150, 100000}));

    ASSERT_TRUE(tap.Down({150, 170}));
    ASSERT_TRUE(tap.Up({150, 170}));
    EXPECT_TRUE(ProcessEventsUntil([&] { return !window.releases.empty(); }));
    // The refused ones pressed nothing.
    const std::vector<std::pair<Qt::MouseButton, Point>> tapped{{Qt::LeftButton, {150, 170}}};
    EXPECT_EQ(window.presses, tapped);
    EXPECT_EQ(window.releases, tapped);
}

}  // namespace
}  // namespace glimtap::test
