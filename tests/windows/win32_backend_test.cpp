#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/win32/console_stop.h"
#include "platform/win32/sapi_voice.h"
#include "platform/win32/win32_backend_set.h"
#include "platform/win32/win32_tap.h"

namespace glimtap::platform {
namespace {

// Stand-ins for the touch injection wine lacks: what the system would be told.
struct TouchCalls {
    BOOL initializeAnswer = TRUE;
    UINT32 maxCount = 0;
    DWORD feedback = 0;
    std::vector<POINTER_TOUCH_INFO> contacts;
} touchCalls;

BOOL WINAPI Initialize(UINT32 maxCount, DWORD feedback) {
    touchCalls.maxCount = maxCount;
    touchCalls.feedback = feedback;
    return touchCalls.initializeAnswer;
}

BOOL WINAPI Inject(UINT32 count, const POINTER_TOUCH_INFO* contacts) {
    touchCalls.contacts.insert(touchCalls.contacts.end(), contacts, contacts + count);
    return TRUE;
}

TEST(Win32Tap, TouchesWhereTheSystemTakesOneContactAndClicksElsewhere) {
    EXPECT_NE(dynamic_cast<SendInputClick*>(MakeWin32Tap({}).get()), nullptr);
    touchCalls.initializeAnswer = FALSE;
    EXPECT_NE(dynamic_cast<SendInputClick*>(MakeWin32Tap({Initialize, Inject}).get()), nullptr);
    touchCalls.initializeAnswer = TRUE;
    const auto tap = MakeWin32Tap({Initialize, Inject});
    ASSERT_NE(dynamic_cast<InjectedTouch*>(tap.get()), nullptr);
    EXPECT_EQ(touchCalls.maxCount, 1u);
    EXPECT_EQ(touchCalls.feedback, static_cast<DWORD>(TOUCH_FEEDBACK_DEFAULT));
    EXPECT_TRUE(tap->Prepare() && tap->Down({-30, 40}) && tap->Up({-30, 40}));
    ASSERT_EQ(touchCalls.contacts.size(), 2u);
    const POINTER_FLAGS flags[] = {POINTER_FLAG_DOWN | POINTER_FLAG_INRANGE | POINTER_FLAG_INCONTACT,
                                   POINTER_FLAG_UP};
    for (size_t i = 0; i < 2; ++i) {
        const POINTER_INFO& info = touchCalls.contacts[i].pointerInfo;
        EXPECT_EQ(info.pointerType, static_cast<POINTER_INPUT_TYPE>(PT_TOUCH));
        EXPECT_EQ(info.pointerFlags, flags[i]);
        EXPECT_TRUE(info.ptPixelLocation.x == -30 && info.ptPixelLocation.y == 40);
    }
}

// Only the part on the virtual screen is captured; an area beside it gives an empty image.
TEST(Win32Capture, CapturesThePartOnTheVirtualScreen) {
    Win32BackendSet backends;
    const ScreenRect screen = backends.Geometry().VirtualScreen();
    ASSERT_GT(screen.width, 0);
    const auto capture = backends.OpenCapture();
    for (int pass = 0; pass < 2; ++pass) {  // the second reuses the section
        const auto image = capture->Capture({screen.left - 10, screen.top - 5, 30, 20});
        ASSERT_TRUE(image && image->pixels != nullptr);
        EXPECT_EQ((ScreenRect{image->left, image->top, image->width, image->height}),
                  (ScreenRect{screen.left, screen.top, 20, 15}));
    }
    const auto beside = capture->Capture({screen.left + screen.width, 0, 30, 20});
    ASSERT_TRUE(beside);
    EXPECT_EQ(beside->width * beside->height, 0);
}

// The text reaches SAPI's voice, which speaks it (Windows) or answers that it cannot (wine).
TEST(SapiVoice, HandsTheTextToTheSystemsVoice) {
    SapiVoice voice;
    const HRESULT answer = voice.Speak(u"Started");
    EXPECT_TRUE(answer == S_OK || answer == E_NOTIMPL) << std::hex << answer;
}

// Ctrl+C calls the stop instead of ending the process; after, the system's answer is back.
TEST(ConsoleStop, CtrlCCallsTheStop) {
    AllocConsole();
    std::atomic<int> stops{0};
    {
        const ConsoleStop stop([&stops] { ++stops; });
        ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
        for (int i = 0; i < 500 && stops == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(stops.load(), 1);
    }
    SetConsoleCtrlHandler(nullptr, TRUE);  // the default answer would now end the test
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(stops.load(), 1);
}

}  // namespace
}  // namespace glimtap::platform
