#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "engine/data_file.h"
#include "platform/utf16.h"
#include "platform/backends.h"
#include "platform/x11/x11_connection.h"
#include "support/bmp_writer.h"
#include "support/poll_until.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "support/x_drawing.h"
#include "support/x_input.h"
#include "support/xvfb_server.h"

namespace glimtap::test {
namespace {

using namespace std::chrono_literals;
using platform::Reply;
namespace fs = std::filesystem;

// Whether a window with "Glimtap" in its title is on the screen.
bool MainWindowShown(const platform::X11Connection& x) {
    xcb_connection_t* connection = x.Get();
    const Reply<xcb_query_tree_reply_t> tree{
        xcb_query_tree_reply(connection, xcb_query_tree(connection, x.Root()), nullptr)};
    if (tree == nullptr) return false;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const Reply<xcb_get_property_reply_t> title{xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, children[i], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr)};
        const Reply<xcb_get_window_attributes_reply_t> attributes{xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, children[i]), nullptr)};
        if (title == nullptr || attributes == nullptr) continue;
        const std::string text(static_cast<const char*>(xcb_get_property_value(title.get())),
                               static_cast<size_t>(xcb_get_property_value_length(title.get())));
        if (text.find("Glimtap") != std::string::npos &&
            attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
            return true;
        }
    }
    return false;
}

bool PointerWithin(const platform::X11Connection& x, const platform::ScreenRect& area) {
    xcb_connection_t* connection = x.Get();
    const Reply<xcb_query_pointer_reply_t> pointer{
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, x.Root()), nullptr)};
    return pointer != nullptr && pointer->root_x >= area.left &&
           pointer->root_x < area.left + area.width && pointer->root_y >= area.top &&
           pointer->root_y < area.top + area.height;
}

// The window program as a user runs it, on an X server that goes away while it searches.
TEST(GlimtapLostDisplay, EndsWhenTheServerGoesDuringASearch) {
    TempDir home;
    XvfbServer server({"-screen", "0", "1280x1024x24"});
    const DisplayOverride display(server.display());

    // A template that is on the screen, so that the running search keeps moving the
    // pointer onto it and marking it.
    const BmpPicture picture = RandomPicture(40, 30, 3);
    // Bottom right, away from the window, which shows at the top left.
    const platform::ScreenRect match{1100, 900, 40, 30};
    const fs::path folder = home / "templates";
    fs::create_directory(folder);
    WriteBmp(folder / "here.bmp", picture);
    DataFile data;
    data.settings.ResetToDefaults(platform::OpenBackends()->Geometry());
    data.settings.targetFolder = FromPath(folder);
    data.settings.moveCursorToMatch = 1;
    data.settings.matchDelayMs = 250;
    data.settings.autoStopEnabled = 0;
    data.settings.speechAlerts = 0;
    const fs::path dataFile = home / "job.GlimtapDataFile";
    SaveDataFile(dataFile, data);

    ChildProcess app({"/usr/bin/env", "XDG_CONFIG_HOME=" + (home / "config").string(),
                      "XDG_DATA_HOME=" + (home / "data").string(), GLIMTAP_APP, dataFile.string()});
    {
        ScreenPainter painter;
        painter.FillRoot(0);
        painter.DrawOnRoot(match.left, match.top, match.width, match.height, picture.pixels);
        const platform::X11Connection x;
        // The hot key is taken before the window shows.
        ASSERT_TRUE(PollUntil([&] { return MainWindowShown(x); })) << app.OutputSoFar();
        ASSERT_FALSE(PointerWithin(x, match));
        OtherClient keyboard;
        keyboard.Tap(XK_F6);
        ASSERT_TRUE(PollUntil([&] { return PointerWithin(x, match); })) << "the search did not start";
    }

    server.Stop();
    const std::optional<ProcessResult> ended = app.WaitFor(20s);
    ASSERT_TRUE(ended) << "still running 20 s after its X server went";
    EXPECT_NE(ended->exitCode, -1) << "ended by a signal: " << ended->err;
    EXPECT_NE(ended->exitCode, 0) << ended->err;
}

}  // namespace
}  // namespace glimtap::test
