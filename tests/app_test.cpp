#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "tests/app_support.h"

namespace velmora::app {
namespace {

using namespace platform;
using test::Rig;

void ExpectAllReleased(const Rig& rig, const std::string& what) {
    const DisplayDevice& d = rig.device;
    EXPECT_EQ(d.LiveDirectDraws() + d.LiveSurfaces() + d.LivePalettes(), 0U) << what;
    EXPECT_FALSE(rig.windows.IsWindow(1)) << what;
}

TEST(StartUp, EachFailingStepShowsOneBoxReleasesEverythingAndExitsOne) {
    // The object, the level, the mode, the primary, the back buffer, the
    // tile (the second surface), the first and the last of the tile blits.
    using enum Operation;
    const Operation operations[] = {
        kDirectDrawCreate,   kSetCooperativeLevel, kSetDisplayMode, kCreateSurface,
        kGetAttachedSurface, kCreateSurface,       kBltFast,        kBltFast};
    const std::uint32_t skipped[] = {0, 0, 0, 0, 0, 1, 0, 63};
    for (std::size_t i = 0; i < std::size(operations); ++i) {
        Rig rig;
        rig.faults.Arm(operations[i], 1, skipped[i]);
        const std::string step = std::string(OperationName(operations[i])) + std::to_string(i);
        EXPECT_EQ(rig.Run(), 1) << step;
        EXPECT_EQ(rig.windows.Boxes(), std::vector<std::string>{"DirectDraw Init FAILED"}) << step;
        ExpectAllReleased(rig, step);
        EXPECT_TRUE(operations[i] == kBltFast || !rig.program.scene.depth.Allocated())
            << step << ": no depth map without a tile";
    }
}

// Rows of 704 bytes. The tile on both buffers, the brush on the back only until
// a frame; a loss a present finds puts the last picture and palette back.
TEST(Display, StartPictureFramesAndAPresentThatFindsTheSurfacesLost) {
    Rig rig(704);
    rig.Then([](Rig& r) {
        const auto front = test::Picture(r.Front());
        const auto back = test::Picture(r.Back());
        int brushed = 0;
        int wrong = 0;  // off the pattern, or changed outside the brush's rows
        for (std::size_t i = 0; i < front.size(); ++i) {
            const std::size_t x = i % 640;
            const std::size_t y = i / 640;
            wrong += front[i] != front[y % 120 * 640 + x % 80] ? 1 : 0;
            const bool brushRow = y >= 240 && y < 260 && x >= 374;
            (brushRow ? brushed : wrong) += back[i] != front[i] ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(brushed, 1000);
    });
    rig.Move(200, 100).Then([](Rig& r) {
        EXPECT_TRUE(test::Picture(r.Back()) == test::Picture(r.Front()));
        EXPECT_EQ(r.program.settings.frameCount, 1U);
    });
    rig.Post(WM_KEYDOWN, 0x46).Move(200, 150, MK_LBUTTON).Move(240, 220, MK_LBUTTON);
    rig.Then([](Rig& r) {
        const std::vector<std::uint8_t> last = test::Picture(r.Back());
        const int slot = r.program.display.flickerPalettes.cursor;
        r.device.LoseSurfaces();
        r.faults.Arm(Operation::kRestore, 1);  // the tile's: the screen is still taken
        EXPECT_FALSE(display::RecoverLostSurfaces(r.program.display));
        display::PresentFrame(r.program.display, 1, r.program.settings.frameCount);
        EXPECT_TRUE(test::Picture(r.Front()) == last && test::Picture(r.Back()) == last);
        EXPECT_EQ(
            display::FlickerSlotOf(r.program.display.flickerPalettes, r.device.ScreenPalette()),
            slot);
        EXPECT_EQ(r.program.settings.frameCount, 4U) << "counted once";
    });
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(rig.next, rig.steps.size());
}

TEST(Keys, EscF12AndCloseEndTheProgramWithZeroAndReleaseEverything) {
    for (const auto& [message, key] :
         {std::pair<UINT, WPARAM>{WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_F12}, {WM_CLOSE, 0}}) {
        Rig rig;
        LRESULT cursor = 0;
        rig.Then([&](Rig& r) { cursor = r.windows.SendMessageA(1, WM_SETCURSOR, 1, 0); });
        rig.Post(WM_KEYDOWN, VK_F1).Post(message, key).Move(300, 300);  // the move is never reached
        EXPECT_EQ(rig.Run(), 0);
        EXPECT_TRUE(cursor == 1 && rig.windows.CursorHidden()) << "the pointer is hidden";
        EXPECT_EQ(rig.windows.Boxes(), std::vector<std::string>{kCommandListText});
        EXPECT_EQ(rig.next, 3U) << "the program quit by itself";
        EXPECT_EQ(rig.windows.SendMessageA(1, WM_SETCURSOR, 1, 0), 0)
            << "a closed window answers nothing";
        ExpectAllReleased(rig, std::to_string(key));
    }
}

TEST(Statistics, PointIsTheSeparatorUnderACommaLocale) {
    const std::string dir = test::OwnPath("locale").string();
    const std::string make = "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 -c '" + dir +
                             "/de_DE.UTF-8' 2>/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0) << "localedef (package locales) is needed";
    ASSERT_EQ(setenv("LOCPATH", dir.c_str(), 1), 0);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(StatisticsText(1500, 3), "Time: 1.5s\nFrames: 3\nAverage FPS: 2.0");
    EXPECT_EQ(StatisticsText(0, 0xFFFFFFFFU),
              "Time: 0.0s\nFrames: -1\nAverage FPS: 42949672950000.0");
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace velmora::app
