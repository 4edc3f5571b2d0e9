#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/app_support.h"

namespace velmora::app {
namespace {

using namespace platform;
using test::PixelAt;
using test::Rig;

struct FailingStep {
    const char* name;
    Operation operation;
    std::uint32_t after;
};

TEST(StartUp, EachFailingStepShowsOneBoxReleasesEverythingAndExitsOne) {
    const FailingStep steps[] = {
        {"DirectDrawCreate", Operation::kDirectDrawCreate, 0},
        {"SetCooperativeLevel", Operation::kSetCooperativeLevel, 0},
        {"SetDisplayMode", Operation::kSetDisplayMode, 0},
        {"primary surface", Operation::kCreateSurface, 0},
        {"back buffer", Operation::kGetAttachedSurface, 0},
        {"pattern tile", Operation::kCreateSurface, 1},
        {"first blit", Operation::kBltFast, 0},
        {"last blit", Operation::kBltFast, 63},
    };
    for (const auto& step : steps) {
        Rig rig;
        rig.faults.Arm(step.operation, 1, step.after);
        EXPECT_EQ(rig.Run(), 1) << step.name;
        EXPECT_EQ(rig.windows.Boxes(), std::vector<std::string>{"DirectDraw Init FAILED"})
            << step.name;
        EXPECT_EQ(rig.device.LiveDirectDraws(), 0U) << step.name;
        EXPECT_EQ(rig.device.LiveSurfaces(), 0U) << step.name;
        EXPECT_EQ(rig.device.LivePalettes(), 0U) << step.name;
        EXPECT_EQ(rig.program.display.directDraw, nullptr) << step.name;
        EXPECT_FALSE(rig.windows.IsWindow(1)) << step.name << ": the window is destroyed";
        if (step.operation == Operation::kCreateSurface && step.after == 1) {
            EXPECT_FALSE(rig.program.scene.depth.Allocated()) << "no depth map without a tile";
        }
    }
    // A window that cannot be made ends start-up without a box.
    Rig rig;
    rig.faults.Arm(Operation::kCreateWindow, 1);
    EXPECT_EQ(rig.Run(), 1);
    EXPECT_TRUE(rig.windows.Boxes().empty());
    EXPECT_EQ(rig.faults.Calls(Operation::kDirectDrawCreate), 0U);
}

TEST(StartUp, PalettesTileLockAndFirstPictureLockDoNotStopIt) {
    Rig palettes;
    palettes.faults.Arm(Operation::kCreatePalette, 32);
    EXPECT_EQ(palettes.Run(), 0);
    EXPECT_TRUE(palettes.windows.Boxes().empty());
    EXPECT_EQ(palettes.device.ScreenPalette(), nullptr);

    // The tile keeps the bitmap's own pixels when its lock is refused.
    Rig tile;
    tile.faults.Arm(Operation::kLock, 1);
    EXPECT_EQ(tile.Run(), 0);
    EXPECT_TRUE(tile.windows.Boxes().empty());
    const auto all = resources::AllBitmap();
    EXPECT_EQ(PixelAt(tile.Front(), 0, 0), all[40 + 1024 + 119 * 80]);

    // No first picture: no stamp, and the first stroke takes nothing out.
    Rig first;
    first.faults.Arm(Operation::kLock, 1, 1);
    first.Move(500, 100).Move(500, 300);
    EXPECT_EQ(first.Run(), 0);
    EXPECT_TRUE(first.windows.Boxes().empty());
    const auto& depth = first.program.scene.depth;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const bool inStamp = x >= 500 && x < 530 && y >= 300 && y < 330;
            ASSERT_EQ(depth.At(x, y), inStamp ? stereo::BrushCell(x - 500, y - 300) : 0)
                << x << "," << y;
        }
    }
}

TEST(StartUp, BuffersHoldTheTiledPatternAndTheStampedBrush) {
    Rig rig(704);
    bool checked = false;
    rig.Then([&](Rig& r) {
        const auto* front = r.Front();
        const auto* back = r.Back();
        int differing = 0;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                ASSERT_EQ(PixelAt(front, x, y), PixelAt(front, x % 80, y % 120)) << x << "," << y;
                const bool brushRow = y >= 240 && y < 260 && x >= 374;
                if (!brushRow) {
                    ASSERT_EQ(PixelAt(back, x, y), PixelAt(front, x, y)) << x << "," << y;
                } else if (PixelAt(back, x, y) != PixelAt(front, x, y)) {
                    ++differing;
                }
            }
        }
        EXPECT_GT(differing, 1000) << "the brush is stamped in the back buffer only";
        checked = true;
    });
    rig.Move(200, 100);
    rig.Then([](Rig& r) {
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                ASSERT_EQ(PixelAt(r.Back(), x, y), PixelAt(r.Front(), x, y)) << x << "," << y;
            }
        }
        EXPECT_EQ(r.program.settings.frameCount, 1U);
    });
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_TRUE(checked);
}

TEST(Teardown, ReleaseTwiceReleasesNothingTheSecondTime) {
    Rig rig;
    rig.Then([](Rig& r) {
        display::ReleaseDisplayObjects(r.program.display);
        EXPECT_EQ(r.device.LiveSurfaces(), 0U);
        EXPECT_EQ(r.device.LivePalettes(), 0U);
        EXPECT_EQ(r.device.LiveDirectDraws(), 0U);
        display::ReleaseDisplayObjects(r.program.display);
        EXPECT_EQ(r.program.display.directDraw, nullptr);
        EXPECT_EQ(r.program.display.primarySurface, nullptr);
    });
    EXPECT_EQ(rig.Run(), 0);
}

TEST(MessageLoop, IdleFlickerStepsOnlyWhileActive) {
    Rig rig;
    std::vector<int> cursors;
    auto note = [&](Rig& r) { cursors.push_back(r.program.display.flickerPalettes.cursor); };
    rig.Then(note).Idle(5).Then(note);
    rig.Post(WM_ACTIVATEAPP, 0).Idle(5).Then(note);
    rig.Post(WM_ACTIVATEAPP, 1).Idle(3).Then(note);
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(cursors, (std::vector<int>{0, 5, 5, 8}));
}

TEST(WindowProcedure, SetCursorHidesThePointerAndEndsWithOne) {
    Rig rig;
    LRESULT result = 0;
    rig.Then([&](Rig& r) { result = r.windows.SendMessageA(1, WM_SETCURSOR, 1, 0); });
    rig.Run();
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(rig.windows.CursorHidden());
}

TEST(Keys, EscF12AndCloseEndTheProgramWithZero) {
    struct Ending {
        UINT message;
        WPARAM key;
    };
    for (const Ending ending :
         {Ending{WM_KEYDOWN, VK_ESCAPE}, Ending{WM_KEYDOWN, VK_F12}, Ending{WM_CLOSE, 0}}) {
        Rig rig;
        rig.Post(ending.message, ending.key);
        rig.Move(300, 300);  // never reached: the program has quit
        EXPECT_EQ(rig.Run(), 0);
        EXPECT_FALSE(rig.windows.Ended()) << "the program quit by itself";
        EXPECT_EQ(rig.next, 1U);
        EXPECT_EQ(rig.device.LiveSurfaces(), 0U);
        EXPECT_FALSE(rig.windows.IsWindow(1));
    }
}

TEST(Keys, DepthClampsAndToggles) {
    Rig rig;
    for (int i = 0; i < 30; ++i) {
        rig.Key(VK_UP);
    }
    rig.Then([](Rig& r) { EXPECT_EQ(r.program.settings.drawingDepth, 30); });
    for (int i = 0; i < 10; ++i) {
        rig.Key(VK_DOWN);
    }
    rig.Then([](Rig& r) { EXPECT_EQ(r.program.settings.drawingDepth, 20); });
    rig.Key(0x42).Key(0x46).Key(0x41);
    rig.Then([](Rig& r) {
        EXPECT_EQ(r.program.settings.bidirectionalMode, 1);
        EXPECT_EQ(r.program.settings.flickerMode, 1);
    });
    rig.Key(0x42).Key(0x46).Key(VK_F1);
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(rig.program.settings.bidirectionalMode, 0);
    EXPECT_EQ(rig.program.settings.flickerMode, 0);
    EXPECT_EQ(rig.windows.Boxes(), std::vector<std::string>{kCommandListText});

    Rig down;
    for (int i = 0; i < 10; ++i) {
        down.Key(VK_DOWN);
    }
    down.Run();
    EXPECT_EQ(down.program.settings.drawingDepth, -3);
}

TEST(Statistics, ReportsFramesAndTimeAndResets) {
    Rig rig;
    rig.Key(0x53);  // no frames, no time
    rig.Then([](Rig& r) { r.windows.AdvanceClock(2000); });
    rig.Move(100, 100).Move(110, 100).Move(120, 100);
    rig.Key(VK_SPACE);  // 3 frames in 2 s
    rig.Key(0x53);      // right after the last
    rig.Then([](Rig& r) { r.windows.AdvanceClock(250); });
    rig.Move(130, 100);
    rig.Key(VK_SPACE);
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_EQ(
        rig.windows.Boxes(),
        (std::vector<std::string>{
            "Time: 0.0s\nFrames: 0\nAverage FPS: 0.0", "Time: 2.0s\nFrames: 3\nAverage FPS: 1.5",
            "Time: 0.0s\nFrames: 0\nAverage FPS: 0.0", "Time: 0.2s\nFrames: 1\nAverage FPS: 4.0"}));
    EXPECT_EQ(rig.program.settings.frameCount, 0U);
    EXPECT_EQ(rig.program.settings.statsStartTime, 2250);
    EXPECT_EQ(StatisticsText(0, 0xFFFFFFFFU),
              "Time: 0.0s\nFrames: -1\nAverage FPS: 42949672950000.0");
}

TEST(Statistics, PointIsTheSeparatorUnderACommaLocale) {
    const std::string dir = ::testing::TempDir() + "velmora-locale";
    const std::string command = "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 -c '" + dir +
                                "/de_DE.UTF-8' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << "localedef (package locales) is needed";
    ASSERT_EQ(setenv("LOCPATH", dir.c_str(), 1), 0);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    char probe[16];
    std::snprintf(probe, sizeof(probe), "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5") << "the locale really uses a comma";
    EXPECT_EQ(StatisticsText(1500, 3), "Time: 1.5s\nFrames: 3\nAverage FPS: 2.0");
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
}

TEST(StrokeUpdate, RefusedLockMidDragStillPresentsAndLeavesNoGhost) {
    Rig rig;
    rig.Move(200, 200, MK_LBUTTON).Move(240, 200, MK_LBUTTON);
    rig.Then([](Rig& r) { r.faults.Arm(Operation::kLock, 1); });
    rig.Move(280, 200, MK_LBUTTON);
    rig.Then([](Rig& r) {
        EXPECT_EQ(r.program.settings.frameCount, 3U) << "the refused frame still counts";
        EXPECT_EQ(r.program.scene.cursor.x, 280);
        EXPECT_EQ(r.program.scene.cursor.previousX, 240);
    });
    rig.Move(500, 400).Move(500, 100);
    EXPECT_EQ(rig.Run(), 0);
    // Painted: the blobs at 200 and 240 hold 5 where the brush is non-zero;
    // nothing at 280 (its frame was not drawn) and no stamp residue anywhere.
    const auto& depth = rig.program.scene.depth;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            int expected = 0;
            for (const int bx : {200, 240}) {
                if (x >= bx && x < bx + 30 && y >= 200 && y < 230 &&
                    stereo::BrushCell(x - bx, y - 200) != 0) {
                    expected = 5;
                }
            }
            if (x >= 500 && x < 530 && y >= 100 && y < 130) {
                expected += stereo::BrushCell(x - 500, y - 100);
            }
            ASSERT_EQ(depth.At(x, y), expected) << x << "," << y;
        }
    }
}

// The 640x480 picture of a surface, without row padding.
std::vector<std::uint8_t> Picture(const IDirectDrawSurface* surface) {
    const platform::MemorySurface* s = InMemory(surface);
    std::vector<std::uint8_t> out;
    for (int y = 0; y < 480; ++y) {
        out.insert(out.end(), s->Pixels() + y * s->Pitch(), s->Pixels() + y * s->Pitch() + 640);
    }
    return out;
}

TEST(LostSurfaces, APresentThatFindsThemLostPutsTheLastPictureOnBothBuffers) {
    Rig rig(704);
    rig.Key(0x46).Move(200, 150, MK_LBUTTON).Move(240, 220, MK_LBUTTON);
    rig.Then([](Rig& r) {
        const std::vector<std::uint8_t> last = Picture(r.Back());
        const int slot = r.program.display.flickerPalettes.cursor;
        r.device.LoseSurfaces();
        display::PresentFrame(r.program.display, 1, r.program.settings.frameCount);
        EXPECT_TRUE(Picture(r.Front()) == last);
        EXPECT_TRUE(Picture(r.Back()) == last);
        EXPECT_EQ(
            display::FlickerSlotOf(r.program.display.flickerPalettes, r.device.ScreenPalette()),
            slot);
        EXPECT_EQ(r.program.settings.frameCount, 3U) << "counted once";
    });
    EXPECT_EQ(rig.Run(), 0);
}

}  // namespace
}  // namespace velmora::app
