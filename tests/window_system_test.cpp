#include <gtest/gtest.h>

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

}  // namespace
}  // namespace velmora::platform
