#include <gtest/gtest.h>

#include <iterator>

#include "platform/web/input.h"

namespace velmora::platform::web {
namespace {

TEST(WebInput, KeysByTheirCodeAndOthersIgnored) {
    const char* codes[] = {"KeyA",  "KeyZ",      "Digit0",     "Digit9", "F1",      "F12", "Escape",
                           "Space", "ArrowLeft", "ArrowRight", "F13",    "F0",      "F1x", "Keya",
                           "KeyAB", "Digit",     "ShiftLeft",  "",       "Numpad1", "F"};
    const WPARAM keys[] = {'A',      'Z',     '0',      '9', VK_F1, VK_F12, VK_ESCAPE,
                           VK_SPACE, VK_LEFT, VK_RIGHT, 0,   0,     0,      0,
                           0,        0,       0,        0,   0,     0};
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        EXPECT_EQ(VirtualKeyForCode(codes[i]), keys[i]) << codes[i];
    }
}

// Through the shown size, whatever the scale; clamped outside, as the bars
// of the desktop are.
TEST(WebInput, PositionsThroughTheShownSizeClampedAndButtons) {
    const struct {
        double x, y, width, height;
        int column, row;
    } points[] = {
        {0, 0, 640, 480, 0, 0},         {639.9, 479.9, 640, 480, 639, 479},
        {2.9, 3.1, 1280, 960, 1, 1},    {1279, 959, 1280, 960, 639, 479},
        {-5, 500, 640, 480, 0, 479},    {700, -1, 640, 480, 639, 0},
        {160, 120, 320, 240, 320, 240}, {10, 10, 0, 0, 0, 0},
    };
    for (const auto& p : points) {
        const LPARAM packed = PicturePoint(p.x, p.y, p.width, p.height);
        EXPECT_EQ(packed & 0xFFFF, p.column) << p.x << "," << p.y;
        EXPECT_EQ(packed >> 16, p.row) << p.x << "," << p.y;
    }
    EXPECT_EQ(MouseKeyState(0, false, false), 0U);
    EXPECT_EQ(MouseKeyState(1, false, false), MK_LBUTTON);
    EXPECT_EQ(MouseKeyState(2, true, false), MK_RBUTTON | MK_SHIFT);
    EXPECT_EQ(MouseKeyState(7, false, true), MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_CONTROL);
}

}  // namespace
}  // namespace velmora::platform::web
