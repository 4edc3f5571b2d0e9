#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "app/work.h"
#include "app_support.h"
#include "stereo/stroke.h"

namespace velmora::app {
namespace {

using test::Replay;
using test::Rig;

// Every step taken back gives the depth file (and the depth view) of the
// dump before it, every step put again the dump after it; the cursor rests
// at 500 400 at each dump, so its bump is in the same place.
TEST(History, UndoAndRedoGiveBackEachStateExactly) {
    const std::string own = test::OwnPath("own-depth.png").string();
    {
        Replay map("map", "lbutton 400 300 1\nmove 450 320 1\nmove 500 400\ndump m\n");
        std::filesystem::copy_file(map.dir / "m-depth.png", own,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    const std::string rest = "move 500 400\n";
    Replay r("history",
             "key d\n" + rest + "dump s0\nlbutton 200 200 1\nmove 230 210 1\n" + rest +
                 "dump s1\nmove 220 205 2\nmove 240 215 2\n" + rest +
                 "dump s2\nkey b\nlbutton 120 100 1\nmove 140 110 1\n" + rest +
                 "dump s3\nkey Up\nkey Up\nlbutton 210 210 1\n" + rest + "dump s4\nkey F2\ndrop " +
                 own + "\n" + rest + "dump s5\nmove 560 30 2\n" + rest +
                 "key ctrl+z\ndump u4\nkey Ctrl+Z\ndump u3\nkey CTRL+z\ndump u2\nkey ctrl+z\n"
                 "dump u1\nkey ctrl+z\ndump u0\nkey ctrl+z\nkey z\nkey y\ndump n0\nkey ctrl+y\n"
                 "dump r1\nkey ctrl+shift+z\ndump r2\nlbutton 300 300 1\nkey ctrl+z\ndump h\n" +
                 rest + "dump t\nkey ctrl+y\ndump t2\nkey ctrl+z\ndump t1\n");
    ASSERT_EQ(r.status, 0) << r.err.str();
    std::filesystem::remove(own);
    const auto same = [&](const std::string& a, const std::string& b) {
        return r.File(a + ".depth") == r.File(b + ".depth") &&
               r.File(a + ".png") == r.File(b + ".png");
    };
    const std::pair<const char*, const char*> equal[] = {
        {"u4", "s4"}, {"u3", "s3"}, {"u2", "s2"}, {"u1", "s1"}, {"u0", "s0"},
        {"n0", "s0"}, {"r1", "s1"}, {"r2", "s2"}, {"t2", "t"},  {"t1", "r2"},
    };
    for (const auto& [a, b] : equal) {
        EXPECT_TRUE(same(a, b)) << a << " " << b;
    }
    // Each step changed something; a held button blocks the undo.
    for (const char* step : {"s1", "s2", "s3", "s4", "s5"}) {
        EXPECT_FALSE(same(step, "s0")) << step;
    }
    EXPECT_TRUE(r.File("h.depth") != r.File("r2.depth"));
    EXPECT_NE(r.Text("s5.json").find("\"History\": {\"undo\": 5, \"redo\": 0}"), std::string::npos);
    EXPECT_NE(r.Text("u0.json").find("\"History\": {\"undo\": 0, \"redo\": 5}"), std::string::npos);
    // The new stroke dropped what could have been put again.
    EXPECT_NE(r.Text("t.json").find("\"History\": {\"undo\": 3, \"redo\": 0}"), std::string::npos);
}

// A drop opens the map as --open does; one that cannot be read shows a box
// and changes nothing.
TEST(History, DroppedFilesOpenAsOneStepOrChangeNothing) {
    const std::string missing = test::OwnPath("missing.png").string();
    Replay r("drop", "lbutton 200 200 1\nmove 500 400\ndump a\ndrop " + missing +
                         "\ndump b\ndrop " VELMORA_DEMO_DIR
                         "/../fuzz/seeds/depth_png/rgb8_trns.png\n"
                         "dump c\n");
    ASSERT_EQ(r.status, 0) << r.err.str();
    EXPECT_EQ(r.out.str(), "Velmora: " + missing + ": cannot read: No such file or directory\n");
    EXPECT_TRUE(r.File("a.depth") == r.File("b.depth") && r.File("a.png") == r.File("b.png"));
    EXPECT_NE(r.File("b.depth"), r.File("c.depth"));
    EXPECT_NE(r.Text("c.json").find("\"History\": {\"undo\": 2, \"redo\": 0}"), std::string::npos);
}

// An undo rewrites only the rows its step changed; with the lock refused
// the depth map is still taken back, and the picture follows at the next
// stroke.
TEST(History, UndoRewritesOnlyTheStepsRowsAndCatchesUpAfterARefusedLock) {
    for (const bool refused : {false, true}) {
        Rig rig;
        std::vector<std::uint8_t> before;
        std::vector<std::uint8_t> after;
        std::vector<std::int8_t> painted;
        rig.Move(500, 400).Move(200, 200, platform::MK_LBUTTON).Move(500, 400);
        rig.Then([&](Rig& r) {
            before = test::Picture(r.Front());
            r.faults.Arm(platform::Operation::kLock, refused ? 1 : 0);
            r.windows.Post(platform::WM_KEYDOWN, 'Z', 0,
                           platform::QueuedWindowSystem::kControlHeld);
        });
        rig.Then([&](Rig& r) {
            after = test::Picture(r.Front());
            painted.assign(r.program.scene.depth.Row(210), r.program.scene.depth.Row(211));
        });
        rig.Move(500, 400).Then([&](Rig& r) {  // the stroke's rows caught up
            const auto now = test::Picture(r.Front());
            EXPECT_EQ(!std::equal(now.begin() + 200 * 640, now.begin() + 230 * 640,
                                  after.begin() + 200 * 640),
                      refused);
        });
        ASSERT_EQ(rig.Run(), 0);
        EXPECT_TRUE(
            std::all_of(painted.begin(), painted.end(), [](std::int8_t d) { return d == 0; }));
        int changedRows = 0;
        for (int y = 0; y < 480; ++y) {
            const bool same = std::equal(before.begin() + y * 640, before.begin() + y * 640 + 640,
                                         after.begin() + y * 640);
            changedRows += same ? 0 : 1;
            EXPECT_TRUE(same || (!refused && y >= 200 && y < 230)) << y;
        }
        EXPECT_EQ(changedRows > 0, !refused);
    }
}

// Memory never passes the limit: the oldest steps go first.
TEST(History, TheLimitDropsTheOldestSteps) {
    History history(3000);
    std::vector<std::int8_t> a(640 * 480, 0);
    std::vector<std::int8_t> b = a;
    for (int step = 1; step <= 4; ++step) {
        std::fill_n(b.begin() + step * 640, 500, static_cast<std::int8_t>(step));  // a row each
        ASSERT_NE(history.Record(a.data(), b.data()), nullptr);
        a = b;
        EXPECT_LE(history.Bytes(), 3000U);
    }
    EXPECT_EQ(history.UndoSteps(), 2U);
    const HistoryStep* last = history.Undo();
    ASSERT_TRUE(last != nullptr && last->spans.size() == 1);
    EXPECT_EQ(last->spans[0].row * 1000 + last->spans[0].column + last->spans[0].after.size(),
              4000U + 500);
    EXPECT_EQ(history.Undo()->spans[0].row, 3);
    EXPECT_EQ(history.Undo(), nullptr);
    EXPECT_EQ(history.Record(a.data(), a.data()), nullptr);  // nothing changed
    EXPECT_EQ(history.RedoSteps(), 2U);
    b[0] = 9;  // a new step drops the two that could have been put again, and their bytes
    const std::size_t bytes = history.Record(a.data(), b.data())->bytes;
    EXPECT_EQ(bytes, history.Bytes());
}

// Random strokes (both buttons, both scan directions), undos and redos:
// the history never passes its limit, and undoing all it holds then putting
// it all again gives back what was painted.
TEST(History, RandomStrokesUndosAndRedosKeepTheLimitAndTheirWay) {
    for (const unsigned seed : {1U, 2U, 3U}) {
        Rig rig;
        rig.program.work.history = History(60000);
        std::mt19937 random(seed);
        const auto pick = [&random](int n) { return static_cast<int>(random() % n); };
        const auto ctrl = [](Rig& r, platform::WPARAM key) {
            r.windows.Post(platform::WM_KEYDOWN, key, 0,
                           platform::QueuedWindowSystem::kControlHeld);
        };
        for (int i = 0; i < 300; ++i) {
            const int kind = pick(10);
            if (kind == 0) {
                rig.Post(platform::WM_KEYDOWN, 'B');
            } else if (kind < 3) {
                rig.Then([&, kind](Rig& r) { ctrl(r, kind == 1 ? 'Z' : 'Y'); });
            } else {
                rig.Move(pick(700), pick(500), static_cast<platform::WPARAM>(pick(4)));
            }
            rig.Then([](Rig& r) { EXPECT_LE(r.program.work.history.Bytes(), 60000U); });
        }
        std::vector<std::int8_t> painted;
        std::vector<std::int8_t> again;
        rig.Move(500, 400).Then([&](Rig& r) { stereo::CopyPaint(r.program.scene, painted); });
        for (int i = 0; i < 2 * 60; ++i) {
            rig.Then([&, i](Rig& r) { ctrl(r, i < 60 ? 'Z' : 'Y'); });
        }
        rig.Then([&](Rig& r) { stereo::CopyPaint(r.program.scene, again); });
        ASSERT_EQ(rig.Run(), 0);
        EXPECT_TRUE(!painted.empty() && painted == again) << seed;
    }
}

}  // namespace
}  // namespace velmora::app
