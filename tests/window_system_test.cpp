#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless.h"

namespace velmora::platform {
namespace {

// A window whose procedure records what it receives and otherwise does what
// the default procedure does.
struct Recorder {
    FaultInjector faults;
    HeadlessWindowSystem windows{faults};
    std::vector<UINT> received;
    HWND window = 0;

    Recorder() {
        WNDCLASSA c;
        c.lpfnWndProc = [this](HWND w, UINT m, WPARAM wp, LPARAM lp) {
            received.push_back(m);
            if (m == WM_DESTROY) {
                windows.PostQuitMessage(7);
            }
            return windows.DefWindowProcA(w, m, wp, lp);
        };
        c.lpszClassName = "Test";
        EXPECT_NE(windows.RegisterClassA(c), 0);
        window =
            windows.CreateWindowExA(0, "Test", "Test", WS_POPUP, 0, 0, 640, 480, 0, 0, 1, nullptr);
    }
};

TEST(WindowSystem, ShowActivatesAndCloseDestroysBeforeReturning) {
    Recorder r;
    ASSERT_NE(r.window, 0U);
    EXPECT_EQ(r.windows.GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_EQ(r.windows.GetSystemMetrics(SM_CYSCREEN), 480);
    r.windows.ShowWindow(r.window, SW_SHOWDEFAULT);
    EXPECT_EQ(r.received, std::vector<UINT>{WM_ACTIVATEAPP});

    // Messages still queued for the window go with it; the quit comes next.
    r.windows.PostMessageA(r.window, WM_KEYDOWN, 0x41, 0);
    r.windows.DefWindowProcA(r.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(r.received.back(), WM_DESTROY) << "WM_DESTROY arrives before DestroyWindow returns";
    EXPECT_FALSE(r.windows.IsWindow(r.window));
    MSG m;
    ASSERT_TRUE(r.windows.PeekMessageA(&m, 0, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(r.windows.GetMessageA(&m, 0, 0, 0), 0);
    EXPECT_EQ(m.wParam, 7U);
    EXPECT_FALSE(r.windows.PostMessageA(r.window, WM_KEYDOWN, 0x41, 0));
    EXPECT_FALSE(r.windows.DestroyWindow(r.window));
}

TEST(WindowSystem, QueueDispatchAndRefusedCreation) {
    Recorder r;
    r.windows.PostMessageA(r.window, WM_MOUSEMOVE, 1, 0x00050006);
    r.windows.PostMessageA(r.window, WM_KEYDOWN, 0x42, 0);
    MSG m;
    ASSERT_EQ(r.windows.GetMessageA(&m, 0, 0, 0), 1);
    EXPECT_EQ(m.message, WM_MOUSEMOVE);
    EXPECT_EQ(m.lParam, 0x00050006);
    r.windows.DispatchMessageA(&m);
    ASSERT_EQ(r.windows.GetMessageA(&m, 0, 0, 0), 1);
    EXPECT_EQ(m.message, WM_KEYDOWN);
    EXPECT_EQ(r.received, (std::vector<UINT>{WM_MOUSEMOVE}));

    r.faults.Arm(Operation::kCreateWindow, 1);
    EXPECT_EQ(r.windows.CreateWindowExA(0, "Test", "", WS_POPUP, 0, 0, 640, 480, 0, 0, 1, nullptr),
              0U);
    EXPECT_EQ(r.windows.CreateWindowExA(0, "Nope", "", WS_POPUP, 0, 0, 640, 480, 0, 0, 1, nullptr),
              0U);
}

TEST(HeadlessWindowSystem, IdlePassesClocksBoxesAndTheEnd) {
    Recorder r;
    int asked = 0;
    r.windows.SetDriver([&](HeadlessWindowSystem& w) {
        ++asked;
        if (asked <= 3) {
            return HeadlessWindowSystem::Feed::kIdle;
        }
        if (asked == 4) {
            w.Post(WM_KEYDOWN, 0x46, 0);
            return HeadlessWindowSystem::Feed::kQueued;
        }
        return HeadlessWindowSystem::Feed::kEnd;
    });
    r.windows.ShowWindow(r.window, SW_SHOWDEFAULT);
    MSG m;
    // Each peek with nothing queued is one idle pass...
    EXPECT_FALSE(r.windows.PeekMessageA(&m, 0, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(asked, 1);
    // ...while a waiting loop sleeps through idle passes until input comes.
    EXPECT_TRUE(r.windows.WaitMessage());
    EXPECT_EQ(asked, 4);
    ASSERT_EQ(r.windows.GetMessageA(&m, 0, 0, 0), 1);
    EXPECT_EQ(m.wParam, 0x46U);
    // At the end the loop gets a quit, once, and the driver is not asked again.
    EXPECT_EQ(r.windows.GetMessageA(&m, 0, 0, 0), 0);
    EXPECT_TRUE(r.windows.Ended());
    EXPECT_EQ(asked, 5);

    r.windows.AdvanceClock(0x80000000ULL + 5);
    EXPECT_EQ(r.windows.MillisecondClock(), INT32_MIN + 5) << "the clock is signed 32-bit";
    EXPECT_EQ(r.windows.MessageBoxA(r.window, "hello", "Velmora", MB_OK), IDOK);
    EXPECT_EQ(r.windows.Boxes(), std::vector<std::string>{"hello"});
    r.windows.SetCursor(0);
    EXPECT_TRUE(r.windows.CursorHidden());
}

}  // namespace
}  // namespace velmora::platform
