#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/headless/headless.h"

namespace velmora::platform {
namespace {

// Beyond what the program's runs show: a closed window takes its queued input
// along and no more, the quit code comes back, the clock wraps at 32 bits.
TEST(HeadlessWindowSystem, CloseQuitAndTheClock) {
    FaultInjector faults;
    HeadlessWindowSystem windows(faults);
    WNDCLASSA c;
    c.lpszClassName = "Test";
    c.lpfnWndProc = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) {
        return windows.DefWindowProcA(w, m, wp, lp);
    };
    windows.RegisterClassA(c);
    const HWND window =
        windows.CreateWindowExA(0, "Test", "", WS_POPUP, 0, 0, 640, 480, 0, 0, 1, nullptr);
    ASSERT_TRUE(windows.PostMessageA(window, WM_KEYDOWN, 0x46, 0));
    windows.DefWindowProcA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(windows.IsWindow(window));
    EXPECT_FALSE(windows.PostMessageA(window, WM_KEYDOWN, 0x41, 0));
    windows.PostQuitMessage(7);
    MSG m;
    EXPECT_EQ(windows.GetMessageA(&m, 0, 0, 0), 0) << "the key went with the window";
    EXPECT_EQ(m.wParam, 7U);
    windows.AdvanceClock(0x80000000ULL + 5);
    EXPECT_EQ(windows.MillisecondClock(), INT32_MIN + 5);
}

// Modifier keys are those of the message taken last, not of the newest
// input; a drop names its files until it is let go, and only to a window
// that accepts drops.
TEST(HeadlessWindowSystem, ModifiersFollowTheMessageAndDropsNameTheirFiles) {
    FaultInjector faults;
    HeadlessWindowSystem windows(faults);
    WNDCLASSA c;
    c.lpszClassName = "Test";
    std::string seen;
    c.lpfnWndProc = [&](HWND, UINT m, WPARAM wp, LPARAM) {
        std::array<char, 6> name{};
        const UINT n = windows.DragQueryFileA(wp, 0, name.data(), name.size());
        seen += std::to_string(m) + ":" + std::to_string(windows.GetKeyState(VK_CONTROL) < 0) +
                std::to_string(windows.GetKeyState(VK_SHIFT) < 0) + std::to_string(n) +
                name.data() + std::to_string(windows.DragQueryFileA(wp, 0xFFFFFFFFU, nullptr, 0)) +
                std::to_string(windows.DragQueryFileA(wp, 0, nullptr, 0)) + " ";
        windows.DragFinish(wp);
        return 0;
    };
    windows.RegisterClassA(c);
    windows.CreateWindowExA(0, "Test", "", WS_POPUP, 0, 0, 640, 480, 0, 0, 1, nullptr);
    windows.Drop("ignored");  // not accepted yet
    windows.Post(WM_KEYDOWN, 'Z', 0, QueuedWindowSystem::kControlHeld);
    windows.Post(WM_KEYDOWN, 'Z', 0, QueuedWindowSystem::kShiftHeld);
    windows.DragAcceptFiles(1, true);
    windows.Drop("/a/long/name.png");
    windows.Post(WM_KEYDOWN, 'Y', 0);
    MSG m;
    while (windows.PeekMessageA(&m, 0, 0, 0, PM_REMOVE)) {
        windows.DispatchMessageA(&m);
    }
    EXPECT_EQ(seen, "256:10000 256:01000 563:005/a/lo116 256:00000 ");
}

}  // namespace
}  // namespace velmora::platform
