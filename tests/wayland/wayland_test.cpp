// The Wayland backend, glimtap-cli, the markers and the area selector against a real
// compositor: HEADLESS-1 (1920x1080) at 0, 0 and HEADLESS-2 (1280x720) right of it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <deque>
#include <regex>

#include "engine/data_file.h"
#include "platform/backends.h"
#include "platform/wayland/virtual_pointer_device.h"
#include "response/marker_surfaces_for.h"
#include "response/screen_markers.h"
#include "support/bmp_writer.h"
#include "support/geometry_printing.h"
#include "support/poll_until.h"
#include "support/wayland_test_window.h"
#include "support/xvfb_server.h"
#include "ui/screen_area_selector.h"

namespace glimtap::test {
namespace {

using platform::Point;
using platform::ScreenRect;
using Event = WaylandTestWindow::PointerEvent;

// Pictures without repeats, one per output.
uint32_t Left(int32_t x, int32_t y) {
    return (uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u) * 2654435761u >> 8;
}
uint32_t Right(int32_t x, int32_t y) { return Left(x + 7919, y + 104729); }
uint32_t Shown(int32_t x, int32_t y) {
    if (x >= 0 && x < 1920 && y >= 0 && y < 1080) return Left(x, y);
    return x >= 1920 && x < 3200 && y >= 0 && y < 720 ? Right(x - 1920, y) : 0;
}

// Waits for the window's last pointer event to be an enter or motion at physical pixel `at`
// of its output (surface units times `scale`).
bool MovedTo(const WaylandTestWindow& window, Point at, double scale = 1) {
    return PollUntil([&] {
        const std::vector<Event> e = window.PointerEvents();
        return !e.empty() && e.back().button == 0 &&
               Point{int32_t(e.back().x * scale), int32_t(e.back().y * scale)} == at;
    }, std::chrono::seconds(5));
}

// Waits for the window's last two button events to be a left press and release at `at`.
bool ClickedAt(const WaylandTestWindow& window, Point at) {
    return PollUntil([&] {
        std::vector<Event> b = window.PointerEvents();
        std::erase_if(b, [](const Event& e) { return e.button == 0; });
        const auto left = [&](const Event& e, bool down) {
            return e.button == 0x110 && e.pressed == down && Point{int32_t(e.x), int32_t(e.y)} == at;
        };
        return b.size() >= 2 && left(b.rbegin()[1], true) && left(b.back(), false);
    }, std::chrono::seconds(5));
}

// `over` at the markers' alpha on `under`, as the compositor blends it, give or take 2.
bool Blended(uint32_t pixel, uint32_t over, uint32_t under) {
    for (int shift : {0, 8, 16}) {
        const int top = over >> shift & 0xFF, below = under >> shift & 0xFF;
        if (std::abs(int(pixel >> shift & 0xFF) - (top * 130 + below * 125) / 255) > 2) return false;
    }
    return true;
}

class WaylandTest : public testing::Test {
protected:
    WaylandTestWindow left_{"HEADLESS-1", Left};
    WaylandTestWindow right_{"HEADLESS-2", Right};
    std::unique_ptr<platform::BackendSet> backends_ = platform::OpenBackends();
    std::unique_ptr<platform::ScreenCapture> capture_ = backends_->OpenCapture();

    // Whether pixel (x, y) of the desktop is what the windows show.
    bool Untouched(int32_t x, int32_t y) { return At(x, y) == Shown(x, y); }
    uint32_t At(int32_t x, int32_t y) {
        const auto image = capture_->Capture({x, y, 1, 1});
        return image && image->width == 1 ? image->pixels[0] & 0xFFFFFF : 0xFFFFFFFF;
    }
};

// With cursor move and tap off a run makes no virtual pointer, whose cursor the compositor
// draws into frames: resting on the target, it would hide it. With them on, it clicks there.
TEST_F(WaylandTest, CliFindsTheTemplateAndRunClicksIntoItOnlyWhenAsked) {
    platform::VirtualPointerDevice{}.MoveTo({2510, 105});  // the cursor rests on the target, unseen
    const TempDir dir;
    BmpPicture templ{24, 16, {}};
    for (int32_t i = 0; i < 24 * 16; ++i) templ.pixels.push_back(Right(580 + i % 24, 100 + i / 24));
    WriteBmp(dir / "t.bmp", templ);
    DataFile data;
    data.settings.ResetToDefaults(backends_->Geometry());
    data.settings.targetFolder = dir.path();
    data.settings.matchDelayMs = 100;
    data.settings.autoStopEnabled = data.settings.speechAlerts = data.settings.overlayOnMatch = 0;
    const auto run = [&](const char* passes) {
        SaveDataFile(dir / "job.GlimtapDataFile", data);
        return RunProcess({GLIMTAP_CLI, "run", (dir / "job.GlimtapDataFile").string(), "--passes", passes, "--json"});
    };
    const ProcessResult unseen = run("5");
    EXPECT_THAT(unseen.out, testing::HasSubstr(R"("tried":5,"matched":5)")) << unseen.err;
    ASSERT_TRUE(backends_->MousePointer()->MoveTo(0, 0));  // the windows take the seat's pointer
    const ProcessResult found =
        RunProcess({GLIMTAP_CLI, "find", "--template", (dir / "t.bmp").string(), "--screen"});
    EXPECT_EQ(found.out, "2500 100 24 16\n") << found.err;
    data.settings.moveCursorToMatch = data.settings.touchAtMatch = 1;
    const ProcessResult r = run("1");
    std::smatch point;
    ASSERT_TRUE(std::regex_search(
        r.out, point, std::regex(R"("x":2500,"y":100,.*"point":\[(\d+),(\d+)\])")))
        << r.out << r.err;
    EXPECT_TRUE(ClickedAt(right_, {std::stoi(point[1]) - 1920, std::stoi(point[2])}));
}

// Around the match on either output, never over it: the match untouched, the red frame (4
// pixels at 96 dots per inch) just outside it, then the yellow band, the countdown above;
// clicks reach the window under the marker, and its pixels go with it.
TEST_F(WaylandTest, MarkersLieAroundTheMatchLetClicksThroughAndGo) {
    platform::VirtualPointerDevice mouse;  // the windows take the seat's pointer meanwhile
    mouse.MoveTo({3199, 719});
    const std::unique_ptr<MarkerSurfaces> surfaces = MarkerSurfacesFor(*backends_);
    ScreenMarkers markers(surfaces.get());
    const uint32_t red = 0xED1C24, yellow = 0xFFF200;  // 0: untouched
    const auto shows = [&](int32_t x, int32_t y, uint32_t c) { return c ? Blended(At(x, y), c, Shown(x, y)) : Untouched(x, y); };
    const ScreenRect rects[] = {{601, 401, 200, 100}, {2221, 201, 121, 80}};
    for (const ScreenRect& rect : rects) markers.Show(rect, MarkerKind::kMatch, 2);
    for (const ScreenRect& rect : rects) {
        SCOPED_TRACE(testing::Message() << rect.left << "," << rect.top);
        const int32_t right = rect.left + rect.width - 1, bottom = rect.top + rect.height - 1;
        const int32_t midX = rect.left + 5, midY = rect.top + rect.height / 2, box = rect.left + (rect.width - 32) / 2;
        ASSERT_TRUE(QTest::qWaitFor([&] { return shows(rect.left - 1, midY, red); }, 10000));
        for (const auto& [x, y, colour] : {std::tuple{rect.left, midY, 0u}, {right, midY, 0u}, {midX, rect.top, 0u},
                                           {midX, bottom, 0u}, {rect.left - 4, midY, red}, {right + 4, midY, red},
                                           {midX, rect.top - 1, red}, {midX, bottom + 4, red}, {right + 5, midY, yellow},
                                           {rect.left - 12, midY, yellow}, {rect.left - 13, midY, 0u},
                                           {box + 3, rect.top - 7, yellow}, {box - 1, rect.top - 13, 0u}}) {
            EXPECT_TRUE(shows(x, y, colour)) << std::hex << colour << " at " << std::dec << x << "," << y;
        }
    }
    mouse.MoveTo({599, 451});
    mouse.LeftButton(true);
    mouse.LeftButton(false);
    EXPECT_TRUE(ClickedAt(left_, {599, 451})) << "no click under the marker";
    ASSERT_TRUE(QTest::qWaitFor([&] { return markers.Alive() == 0; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Untouched(600, 401) && Untouched(2220, 201); }, 1000))
        << "a marker stayed on screen after its countdown";
}

// The drag shows undimmed and maps to physical pixels on both outputs, and across them; the
// pointer lies in the middle of each pixel, as a real mouse's often does, and shows the
// theme's cross-hair (it reaches 8 pixels left of and above its hot spot, where an arrow draws
// nothing). A pointer the seat loses and regains mid-drag goes on dragging, and Escape works
// on a keyboard it regains (wtype's keyboard lives as long as the program).
TEST_F(WaylandTest, SelectorGivesTheRectangleDraggedWhateverDevicesTheSeatLoses) {
    auto mouse = std::make_unique<platform::VirtualPointerDevice>();
    mouse->MoveTo({3199, 719});
    TempDir folder;
    Profile profile(QString::fromStdString((folder / "profile.ini").string()));
    const ScreenStill still = ScreenStill::Take(*backends_);
    const auto crossHairAt = [&](Point p) {
        const uint32_t left = At(p.x - 8, p.y), above = At(p.x, p.y - 8);
        mouse->MoveTo(p);
        return QTest::qWaitFor([&] { return At(p.x - 8, p.y) != left && At(p.x, p.y - 8) != above; });
    };
    const auto wtype = [](std::vector<std::string> argv) {  // without holding the event loop
        argv.insert(argv.begin(), {"wtype", "-s", "300"});
        ChildProcess child(argv);
        EXPECT_TRUE(QTest::qWaitFor([&] { return child.WaitFor(std::chrono::milliseconds(0)).has_value(); }));
    };
    enum Loses { kNothing, kPointer, kKeyboard };
    const std::tuple<std::array<int32_t, 4>, Loses, std::optional<ScreenRect>> cases[] = {
        {{1001, 101, 1501, 602}, kNothing, ScreenRect{1001, 101, 500, 501}},
        {{2500, 600, 2001, 99}, kNothing, ScreenRect{2001, 99, 499, 501}},
        {{1800, 300, 2000, 400}, kNothing, ScreenRect{1800, 300, 200, 100}},
        {{1000, 500, 1200, 600}, kPointer, ScreenRect{1000, 500, 200, 100}},
        {{1000, 500, 1200, 600}, kKeyboard, std::nullopt},
    };
    for (const auto& [drag, loses, expected] : cases) {
        const QObject fallback;  // ends a selector that missed the last step, so that it fails
        QTimer::singleShot(0, [&, drag = drag, loses = loses] {
            // Once the veil dims the desktop, drag as a user would.
            if (!QTest::qWaitFor([&] { return !Untouched(3000, 100); }, 10000)) return;
            EXPECT_TRUE(crossHairAt({drag[0], drag[1]})) << "no cross-hair";
            mouse->LeftButton(true);
            mouse->MoveTo({(drag[0] + drag[2]) / 2, (drag[1] + drag[3]) / 2});
            const int32_t x = (3 * drag[0] + drag[2]) / 4, y = (3 * drag[1] + drag[3]) / 4;
            EXPECT_TRUE(QTest::qWaitFor([&] { return Untouched(x, y); }, 5000)) << "no hole";
            if (loses == kPointer) mouse.reset();  // the seat loses its pointer, then has one again
            if (loses == kPointer) mouse = std::make_unique<platform::VirtualPointerDevice>();
            EXPECT_TRUE(crossHairAt({drag[2], drag[3]}));
            loses == kKeyboard ? (wtype({}), wtype({"-k", "Escape"})) : (void)mouse->LeftButton(false);
            QTimer::singleShot(5000, &fallback, [&] { wtype({"-k", "Escape"}), mouse->LeftButton(false); });
        });
        EXPECT_EQ(SelectScreenArea(nullptr, profile, still, *backends_), expected) << drag[0] << " " << loses;
    }
}

TEST(WaylandBackendsTest, PickedFromTheOverrideThenTheSession) {
    const std::string live = std::getenv("WAYLAND_DISPLAY");
    struct Choice {
        const char* backend;  // GLIMTAP_BACKEND
        std::string wayland;  // WAYLAND_DISPLAY
        const char *display, *name, *missing;  // DISPLAY (no X here), Name(), part of Missing()
    };
    const Choice choices[] = {
        {"", live, "", "wayland", ""}, {"", live, ":4321", "wayland", ""}, {"wayland", live, "", "wayland", ""},
        {"x11", live, "", "null", "DISPLAY is not set"},
        {"", "wayland-none", "", "null", "cannot connect to the Wayland compositor 'wayland-none'"},
        {"", "wayland-none", ":4321", "null", "cannot open X display ':4321'"},  // X11 next
        {"wayland", "wayland-none", ":4321", "null", "Wayland compositor 'wayland-none'"},
        {"mir", live, "", "null", "GLIMTAP_BACKEND='mir' is unknown (wayland, portal, x11, win32 or null)"},
    };
    for (const Choice& c : choices) {
        SCOPED_TRACE(std::string(c.backend) + " / " + c.wayland + " / " + c.display);
        const EnvironmentOverride backend("GLIMTAP_BACKEND", c.backend);
        const EnvironmentOverride wayland("WAYLAND_DISPLAY", c.wayland);
        const DisplayOverride display(c.display);
        const auto backends = platform::OpenBackends();
        EXPECT_EQ(backends->Name(), c.name);
        EXPECT_THAT(backends->Missing(), testing::HasSubstr(c.missing));
        EXPECT_EQ(backends->Missing().empty(), *c.missing == '\0');
        EXPECT_EQ(backends->CanCapture(), *c.missing == '\0');
    }
}

// Outputs of every kind side by side (an entry's own compositor): HEADLESS-1 1920x1080 at
// scale 2, then at scale 1 HEADLESS-2 1280x720 turned 90 degrees, HEADLESS-3 1280x720 at 1.5
// (853.3 layout units wide, told as 853) and HEADLESS-4 1920x1080 at 1.25 mirrored and turned
// 180. Each shows its own pixels at its layout position times 2, gaps holding none.
TEST(WaylandLayout, CaptureFindAndPointerAreExactOnEveryScaleAndTurn) {
    const std::tuple<const char*, ScreenRect, double> outputs[] = {  // name, pixels, scale
        {"HEADLESS-1", {0, 0, 1920, 1080}, 2}, {"HEADLESS-2", {1920, 0, 720, 1280}, 1},
        {"HEADLESS-3", {3360, 0, 1280, 720}, 1.5}, {"HEADLESS-4", {5066, 0, 1920, 1080}, 1.25}};
    std::deque<WaylandTestWindow> windows;
    for (int i = 0; i < 4; ++i)
        windows.emplace_back(std::get<0>(outputs[i]), [i](int32_t x, int32_t y) { return Left(x + 5000 * i, y); });
    const auto shown = [&](int32_t x, int32_t y) {
        for (int i = 0; i < 4; ++i) {
            const ScreenRect& r = std::get<1>(outputs[i]);
            if (x >= r.left && x < r.left + r.width && y >= 0 && y < r.height) return Left(x - r.left + 5000 * i, y);
        }
        return 0u;
    };
    const auto backends = platform::OpenBackends();
    EXPECT_EQ(backends->Geometry().VirtualScreen(), (ScreenRect{0, 0, 6986, 1280}));
    const auto capture = backends->OpenCapture();
    const std::pair<ScreenRect, ScreenRect> cases[] = {  // area, what is captured
        {{-99999, -99999, 199999, 199999}, {0, 0, 6986, 1280}},
        {{101, 53, 1900, 300}, {101, 53, 1900, 300}}, {{1000, 700, 99999, 99999}, {1000, 700, 5986, 580}},
        {{2600, 0, 800, 10}, {2600, 0, 800, 10}},  // black in the gap
        {{9000, 0, 10, 10}, {9000, 0, 0, 0}},
    };
    for (const auto& [area, expected] : cases) {
        const auto image = capture->Capture(area);
        ASSERT_TRUE(image);
        ASSERT_EQ((ScreenRect{image->left, image->top, image->width, image->height}), expected);
        int wrong = 0;
        for (int32_t i = 0; i < image->width * image->height; ++i)
            wrong += (image->pixels[i] & 0xffffff) !=
                     shown(image->left + i % image->width, image->top + i / image->width);
        EXPECT_EQ(wrong, 0) << area.left << "," << area.top;
    }
    platform::Pointer* pointer = backends->MousePointer();
    EXPECT_EQ(pointer->Position(), std::nullopt);
    const TempDir dir;
    for (int i = 0; i < 4; ++i) {
        const auto& [name, r, scale] = outputs[i];
        for (const Point at : {Point{r.left + 1, 3}, Point{r.left + r.width - 25, r.height - 17}}) {
            BmpPicture templ{24, 16, {}};
            for (int32_t p = 0; p < 24 * 16; ++p) templ.pixels.push_back(shown(at.x + p % 24, at.y + p / 24));
            WriteBmp(dir / "t.bmp", templ);
            const ProcessResult found =
                RunProcess({GLIMTAP_CLI, "find", "--template", (dir / "t.bmp").string(), "--screen"});
            EXPECT_EQ(found.out, std::to_string(at.x) + " " + std::to_string(at.y) + " 24 16\n") << found.err;
        }
        for (const Point local : {Point{0, 0}, Point{1, 1}, Point{r.width - 1, r.height - 1}}) {
            ASSERT_TRUE(pointer->MoveTo(r.left + local.x, local.y));
            EXPECT_TRUE(MovedTo(windows[size_t(i)], local, scale)) << name << " " << local.x << "," << local.y;
        }
    }
    EXPECT_FALSE(pointer->MoveTo(3000, 10)) << "in a gap, on no output";
    // The selector, once its veil is up, as a user drags on the 1.5 and the turned 1.25 output.
    platform::VirtualPointerDevice mouse;
    Profile profile(QString::fromStdString((dir / "profile.ini").string()));
    const ScreenStill still = ScreenStill::Take(*backends);
    for (const auto& [from, to] : {std::pair{Point{3401, 7}, Point{3703, 700}},
                                   std::pair{Point{5147, 33}, Point{6900, 1071}}}) {
        QTimer::singleShot(0, [&, from = from, to = to] {
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return capture->Capture({9, 9, 1, 1})->pixels[0] % (1 << 24) != shown(9, 9); },
                9000));
            for (const Point at : {from, to}) mouse.MoveTo(at), mouse.LeftButton(at == from);
        });
        EXPECT_EQ(SelectScreenArea(nullptr, profile, still, *backends),
                  (ScreenRect{from.x, from.y, to.x - from.x, to.y - from.y}));
    }
    platform::TouchInjector* tap = backends->Touch();
    ASSERT_TRUE(tap != nullptr && tap->Prepare() && tap->Down({2003, 17}) && tap->Up({2003, 17}));
    EXPECT_TRUE(ClickedAt(windows[1], {83, 17}));
}

// The last one ends the compositor: a ctest entry of its own.
TEST(WaylandLastCompositorGoes, CliAndWindowSayTheConnectionWasLost) {
    const TempDir dir;
    WriteBmp(dir / "absent.bmp", RandomPicture(10, 10, 2));
    ChildProcess cli({GLIMTAP_CLI, "find", "--template", (dir / "absent.bmp").string(), "--screen",
                      "--repeat", "999999"});
    ChildProcess window({"/usr/bin/env", "-u", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME=" + (dir / "c").string(),
                         "XDG_DATA_HOME=" + (dir / "d").string(), GLIMTAP_APP});
    ASSERT_TRUE(PollUntil([] { return std::filesystem::exists(std::getenv("XDG_RUNTIME_DIR") + std::string("/glimtap.socket")); }));
    // Once it holds the buffer the compositor copies into, it is capturing.
    const std::string fds = "ls -l /proc/" + std::to_string(cli.pid()) + "/fd | grep -q glimtap-shm";
    ASSERT_TRUE(PollUntil([&] { return std::system(fds.c_str()) == 0; })) << "never captured";
    std::system("swaymsg -q exit");  // no answer: sway is gone before it gives one
    const std::string lost = ": the connection to the Wayland compositor '" +
                             std::string(std::getenv("WAYLAND_DISPLAY")) + "' was lost\n";
    for (auto [program, name] : {std::pair{&cli, "glimtap-cli"}, {&window, "glimtap"}}) {
        const auto r = program->WaitFor(std::chrono::seconds(20));
        ASSERT_TRUE(r) << name << " still running after the compositor went";
        EXPECT_EQ(r->exitCode, 2) << name;
        EXPECT_THAT(r->err, testing::EndsWith(name + lost));
    }
}

}  // namespace
}  // namespace glimtap::test
