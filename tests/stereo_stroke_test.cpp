#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "stereo/stroke.h"
#include "tests/stereo_test_support.h"

namespace velmora::stereo {
namespace {

using test::Pack;
using test::PictureBuffer;

// A scene with an allocated zero depth map and a tiled picture.
struct Fixture {
    Scene scene;
    PictureBuffer buffer;

    explicit Fixture(std::ptrdiff_t pitch = 640, std::uint32_t seed = 7) : buffer(pitch) {
        scene.depth.Allocate();
        scene.random.Seed(seed);
        buffer.Tile(test::RandomTile(scene.random));
    }

    void Stroke(int x, int y, std::uint32_t buttons, const StrokeSettings& settings = {}) {
        MoveBrushCursor(scene.cursor, Pack(x, y));
        EraseBrush(scene, buffer.Picture());
        ApplyBrush(scene, buffer.Picture(), buttons, settings);
    }
};

TEST(MoveBrushCursor, ClampsAndKeepsThePreviousPosition) {
    BrushCursor cursor;
    MoveBrushCursor(cursor, Pack(0, 0));
    EXPECT_EQ(cursor.x, 81);
    EXPECT_EQ(cursor.y, 0);
    EXPECT_EQ(cursor.previousX, 374);
    EXPECT_EQ(cursor.previousY, 240);

    MoveBrushCursor(cursor, Pack(639, 479));
    EXPECT_EQ(cursor.x, 609);
    EXPECT_EQ(cursor.y, 449);
    EXPECT_EQ(cursor.previousX, 81);
    EXPECT_EQ(cursor.previousY, 0);

    MoveBrushCursor(cursor, 0xFFFFFFFFU);  // both fields read unsigned
    EXPECT_EQ(cursor.x, 609);
    EXPECT_EQ(cursor.y, 449);

    MoveBrushCursor(cursor, Pack(82, 448));
    EXPECT_EQ(cursor.x, 82);
    EXPECT_EQ(cursor.y, 448);
    MoveBrushCursor(cursor, Pack(608, 3));
    EXPECT_EQ(cursor.x, 608);
    EXPECT_EQ(cursor.y, 3);
}

// A forward scan over brush row 25 (all zero cells, no buttons) leaves the
// depth as it is, so a row's depth profile can be set up by hand.
constexpr int kZeroRow = 25;

TEST(ForwardScan, FlatRepeatingRowStaysUnchanged) {
    Fixture f(704);
    const auto before = f.buffer.Pixels();
    const auto state = f.scene.random.State();
    for (int r = 0; r < kBrushHeight; ++r) {
        ForwardScan(f.scene, f.buffer.Picture(), 200, 100, kZeroRow, {});
    }
    ForwardScan(f.scene, f.buffer.Picture(), 81, 0, kZeroRow, {});
    EXPECT_EQ(f.buffer.Pixels(), before);
    EXPECT_EQ(f.scene.random.State(), state);
    EXPECT_TRUE(f.buffer.PaddingIntact());
}

TEST(ForwardScan, StepDownGivesKPlusOneRandomPixelsAndStepUpNone) {
    for (int k : {1, 3, 7}) {
        Fixture f;
        const int y = 125;  // brush row 25 at b = 100
        const int x0 = 300;
        // Depth 10 up to x0 - 1, 10 - k from x0 on: one step down at x0.
        for (int x = 81; x < 640; ++x) {
            f.scene.depth.Row(y)[x] = static_cast<std::int8_t>(x < x0 ? 10 : 10 - k);
        }
        RandomGenerator expected = f.scene.random;
        ForwardScan(f.scene, f.buffer.Picture(), 200, 100, kZeroRow, {});
        for (int i = 0; i <= k; ++i) {
            EXPECT_EQ(f.buffer.At(x0 + i, y), expected.NextIndex()) << "k=" << k << " i=" << i;
        }
        EXPECT_EQ(f.scene.random.State(), expected.State()) << "exactly k + 1 draws for k=" << k;
        const int next = x0 + k + 1;
        EXPECT_EQ(f.buffer.At(next, y), f.buffer.At(next - 80 + 10 - k, y));
        for (int x = 200; x < x0; ++x) {
            ASSERT_EQ(f.buffer.At(x, y), f.buffer.At(x - 70, y)) << x;
        }
    }
    // A step up draws nothing.
    Fixture f;
    for (int x = 300; x < 640; ++x) {
        f.scene.depth.Row(125)[x] = 6;
    }
    const auto state = f.scene.random.State();
    ForwardScan(f.scene, f.buffer.Picture(), 200, 100, kZeroRow, {});
    EXPECT_EQ(f.scene.random.State(), state);
    EXPECT_EQ(f.buffer.At(300, 125), f.buffer.At(226, 125));
}

TEST(ForwardScan, StepInsideAHiddenStretchExtendsItOnlyWhenLonger) {
    // A step of 5 at x0, then a step of k2 two columns later: after that
    // pixel's decrement 3 are left, so k2 = 2 changes nothing and k2 = 5
    // restarts the count.
    struct Case {
        int k2;
        int draws;
    };
    for (Case c : {Case{2, 6}, Case{3, 6}, Case{5, 8}}) {
        Fixture f;
        const int y = 125;
        for (int x = 81; x < 640; ++x) {
            int d = 20;
            if (x >= 300) {
                d -= 5;
            }
            if (x >= 302) {
                d -= c.k2;
            }
            f.scene.depth.Row(y)[x] = static_cast<std::int8_t>(d);
        }
        RandomGenerator counter = f.scene.random;
        ForwardScan(f.scene, f.buffer.Picture(), 200, 100, kZeroRow, {});
        int draws = 0;
        while (counter.State() != f.scene.random.State() && draws < 100) {
            counter.Next();
            ++draws;
        }
        EXPECT_EQ(draws, c.draws) << "k2=" << c.k2;
    }
}

TEST(BackwardScan, StepGivesRandomPixelsLeftOfItAndBrushLandsOneColumnRight) {
    const int k = 4;
    Fixture f;
    const int y = 125;
    const int x0 = 150;
    for (int x = 81; x < 640; ++x) {
        f.scene.depth.Row(y)[x] = static_cast<std::int8_t>(x > x0 ? k : 0);
    }
    RandomGenerator expected = f.scene.random;
    BackwardScan(f.scene, f.buffer.Picture(), 200, 100, kZeroRow, {});
    for (int i = 0; i <= k; ++i) {
        EXPECT_EQ(f.buffer.At(x0 - 80 - i, y), expected.NextIndex()) << i;
    }
    EXPECT_EQ(f.scene.random.State(), expected.State());
    // Left of the stretch the copy reads from the right: pixel x - 80 := pixel x - d.
    EXPECT_EQ(f.buffer.At(x0 - 81 - k, y), f.buffer.At(x0 - 1 - k, y));
    // Right of the step, depth k: pixel x - 80 := pixel x - k.
    EXPECT_EQ(f.buffer.At(160 - 80, y), f.buffer.At(160 - k, y));

    // The brush cells land on a + 1 .. a + 30.
    Fixture g;
    StrokeSettings bidirectional{5, 1};
    g.Stroke(200, 100, 0, bidirectional);
    EXPECT_TRUE(g.scene.stamp.backward);
    EXPECT_EQ(g.scene.depth.At(210, 100), 0);
    EXPECT_EQ(g.scene.depth.At(211, 100), 1);  // brush column 10 of row 0
    EXPECT_EQ(g.scene.depth.At(219, 100), 1);  // brush column 18
    EXPECT_EQ(g.scene.depth.At(220, 100), 0);
    EXPECT_EQ(g.scene.depth.At(201, 107), 1);  // brush column 0 of row 7
    EXPECT_EQ(g.scene.depth.At(200, 107), 0);
    EXPECT_EQ(g.scene.depth.At(230, 107), 1);  // brush column 29 of row 7
}

TEST(ApplyBrush, ButtonRulesPaintClearAndWrap) {
    // Left button: non-zero cells take DrawingDepth + cell; zero cells keep their value.
    Fixture f;
    for (int y = 100; y < 130; ++y) {
        for (int x = 200; x < 230; ++x) {
            f.scene.depth.Row(y)[x] = 3;
        }
    }
    MoveBrushCursor(f.scene.cursor, Pack(200, 100));
    ApplyBrush(f.scene, f.buffer.Picture(), kLeftButton | 0x0004 | 0x0008, {12, 0});
    EXPECT_EQ(f.scene.depth.At(200, 100), 3);   // cell 0
    EXPECT_EQ(f.scene.depth.At(210, 100), 13);  // cell 1
    EXPECT_EQ(f.scene.depth.At(215, 110), 14);  // cell 2
    EXPECT_EQ(f.scene.depth.At(215, 125), 3);   // rows 20..29 are zero cells

    // Right wins over left and overwrites the whole square with the cells.
    ApplyBrush(f.scene, f.buffer.Picture(), kLeftButton | kRightButton, {12, 0});
    for (int y = 100; y < 130; ++y) {
        for (int x = 200; x < 230; ++x) {
            ASSERT_EQ(f.scene.depth.At(x, y), BrushCell(x - 200, y - 100)) << x << "," << y;
        }
    }

    // No button adds the cells with 8-bit wrap-around; DrawingDepth is read
    // as its low byte, signed.
    Fixture g;
    g.scene.depth.Row(110)[215] = 127;
    MoveBrushCursor(g.scene.cursor, Pack(200, 100));
    ApplyBrush(g.scene, g.buffer.Picture(), 0, {});
    EXPECT_EQ(g.scene.depth.At(215, 110), -127);
    ApplyBrush(g.scene, g.buffer.Picture(), kLeftButton, {200, 0});
    EXPECT_EQ(g.scene.depth.At(215, 110), -54);  // 200 -> -56, plus 2
    ApplyBrush(g.scene, g.buffer.Picture(), kLeftButton, {-3, 0});
    EXPECT_EQ(g.scene.depth.At(215, 110), -1);
}

// Expected depth: what was painted, plus the stamp currently in place.
std::vector<int> ExpectedDepth(const std::vector<std::int8_t>& painted, const BrushStamp& stamp) {
    std::vector<int> depth(painted.begin(), painted.end());
    if (stamp.made) {
        const int shift = stamp.backward ? 1 : 0;
        for (int r = 0; r < kBrushHeight; ++r) {
            for (int j = 0; j < kBrushWidth; ++j) {
                auto& cell =
                    depth[static_cast<std::size_t>((stamp.y + r) * 640 + stamp.x + j + shift)];
                cell = static_cast<std::int8_t>(cell + BrushCell(j, r));
            }
        }
    }
    return depth;
}

testing::AssertionResult DepthMatches(const DepthMap& depth, const std::vector<int>& expected) {
    for (std::size_t i = 0; i < DepthMap::kSize; ++i) {
        if (depth.Data()[i] != expected[i]) {
            return testing::AssertionFailure()
                   << "cell (" << i % 640 << ", " << i / 640 << ") holds " << int{depth.Data()[i]}
                   << ", expected " << expected[i];
        }
    }
    return testing::AssertionSuccess();
}

TEST(StrokeSequence, DepthIsExactlyWhatWasPaintedPlusOneStamp) {
    for (std::uint32_t seed : {1U, 2U, 3U}) {
        Fixture f(672, seed);
        DrawFirstPicture(f.scene, f.buffer.Picture());
        std::vector<std::int8_t> painted(DepthMap::kSize, 0);
        std::mt19937 rng(seed);
        StrokeSettings settings;
        bool cleanRun = true;  // every lock succeeded, mode never toggled
        for (int step = 0; step < 600; ++step) {
            const int px = static_cast<int>(rng() % 700);
            const int py = static_cast<int>(rng() % 520);
            std::uint32_t buttons = rng() % 4;
            if (rng() % 3 == 0) {
                buttons = 0;
            }
            if (rng() % 40 == 0) {
                settings.bidirectionalMode ^= 1;
                cleanRun = false;
            }
            settings.drawingDepth = static_cast<int>(rng() % 34) - 3;
            const bool lockRefused = rng() % 25 == 0;
            cleanRun = cleanRun && !lockRefused;

            const auto before = f.buffer.Pixels();
            const BrushStamp oldStamp = f.scene.stamp;
            MoveBrushCursor(f.scene.cursor, Pack(px, py));
            if (cleanRun) {
                // The remembered stamp is the one an erase at the previous
                // position would find.
                ASSERT_EQ(oldStamp.x, f.scene.cursor.previousX);
                ASSERT_EQ(oldStamp.y, f.scene.cursor.previousY);
            }
            if (lockRefused) {
                continue;
            }
            EraseBrush(f.scene, f.buffer.Picture());
            ApplyBrush(f.scene, f.buffer.Picture(), buttons, settings);

            const int x = f.scene.cursor.x;
            const int y = f.scene.cursor.y;
            for (int r = 0; r < kBrushHeight; ++r) {
                for (int j = 0; j < kBrushWidth; ++j) {
                    const int s = BrushCell(j, r);
                    const int shift = f.scene.stamp.backward ? 1 : 0;
                    auto& cell = painted[static_cast<std::size_t>((y + r) * 640 + x + j + shift)];
                    if ((buttons & kRightButton) != 0) {
                        cell = 0;
                    } else if ((buttons & kLeftButton) != 0 && s != 0) {
                        cell = static_cast<std::int8_t>(settings.drawingDepth);
                    }
                }
            }
            // Only rows under the old stamp and the new brush change.
            const auto after = f.buffer.Pixels();
            for (int row = 0; row < kScreenHeight; ++row) {
                const bool underOld = oldStamp.made && row >= oldStamp.y && row < oldStamp.y + 30;
                const bool underNew = row >= y && row < y + 30;
                const auto offset = static_cast<std::ptrdiff_t>(row) * 640;
                if (!underOld && !underNew) {
                    ASSERT_TRUE(std::equal(after.begin() + offset, after.begin() + offset + 640,
                                           before.begin() + offset))
                        << "step " << step << " row " << row;
                }
            }
            if (step % 8 == 0) {
                ASSERT_TRUE(DepthMatches(f.scene.depth, ExpectedDepth(painted, f.scene.stamp)))
                    << "step " << step;
            }
        }
        // Move away without a button: the stamp leaves, the painting stays.
        f.Stroke(600, 0, 0, {5, 0});
        f.Stroke(600, 449, 0, {5, 0});
        EXPECT_TRUE(DepthMatches(f.scene.depth, ExpectedDepth(painted, f.scene.stamp)));
        EXPECT_TRUE(f.buffer.PaddingIntact());
    }
}

TEST(StrokeSequence, ResultDoesNotDependOnThePitch) {
    Fixture narrow(640, 11);
    Fixture wide(1000, 11);
    StrokeSettings settings{9, 1};
    for (auto* f : {&narrow, &wide}) {
        DrawFirstPicture(f->scene, f->buffer.Picture());
        for (int i = 0; i < 120; ++i) {
            f->Stroke(90 + (i * 37) % 540, (i * 53) % 460, static_cast<std::uint32_t>(i % 4),
                      settings);
        }
    }
    EXPECT_EQ(narrow.buffer.Pixels(), wide.buffer.Pixels());
    EXPECT_EQ(narrow.scene.random.State(), wide.scene.random.State());
    EXPECT_TRUE(wide.buffer.PaddingIntact());
}

TEST(StrokeSequence, RefusedLockAndModeToggleLeaveNoGhosts) {
    Fixture f;
    DrawFirstPicture(f.scene, f.buffer.Picture());
    // Rest left of the split column, then toggle bidirectional mode: the erase
    // still takes the stamp out with the forward scan that made it.
    f.Stroke(150, 100, 0, {5, 0});
    f.Stroke(150, 100, 0, {5, 1});
    // A refused lock: the cursor moves, nothing is drawn.
    MoveBrushCursor(f.scene.cursor, Pack(300, 300));
    f.Stroke(500, 400, 0, {5, 1});
    f.Stroke(500, 0, 0, {5, 1});
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const bool inStamp = x >= 500 && x < 530 && y < 30;
            ASSERT_EQ(f.scene.depth.At(x, y), inStamp ? BrushCell(x - 500, y) : 0) << x << "," << y;
        }
    }
    // With no stamp at all the erase pass does nothing.
    Fixture g;
    const auto before = g.buffer.Pixels();
    EraseBrush(g.scene, g.buffer.Picture());
    EXPECT_EQ(g.buffer.Pixels(), before);
}

TEST(StrokeSequence, ArbitraryDepthBytesNeverReachOutsideTheRow) {
    // Writes past a row show in the padding; before the first row or past the
    // last, the sanitizers report them.
    Fixture f(700, 5);
    std::mt19937 rng(5);
    for (std::size_t i = 0; i < DepthMap::kSize; ++i) {
        f.scene.depth.Data()[i] = static_cast<std::int8_t>(rng());
    }
    // A copy whose source lies left of the row leaves the pixel as it was.
    f.scene.depth.Row(60)[80] = -5;
    for (int x = 81; x < 640; ++x) {
        f.scene.depth.Row(60)[x] = -5;
    }
    const std::uint8_t old81 = f.buffer.At(81, 60);
    ForwardScan(f.scene, f.buffer.Picture(), 81, 40, kZeroRow - 5, {});
    EXPECT_EQ(f.buffer.At(81, 60), old81);

    for (int i = 0; i < 300; ++i) {
        f.Stroke(static_cast<int>(rng() % 640), static_cast<int>(rng() % 480), rng() % 4,
                 {static_cast<int>(rng() % 256) - 128, static_cast<int>(rng() % 2)});
    }
    ResynthesizeRows(f.scene, f.buffer.Picture(), 0, kScreenHeight);
    EXPECT_TRUE(f.buffer.PaddingIntact());
}

// The pixel rule as plainly as it can be written: one pixel at a time.
void PlainScan(RandomGenerator& random, std::uint8_t* row, const std::int8_t* depth, int from,
               bool backward) {
    int hidden = 0;
    for (int x = from; backward ? x >= 80 : x < 640; x += backward ? -1 : 1) {
        const int d = depth[x];
        const int e = depth[backward ? x + 1 : x - 1];
        const int target = backward ? x - 80 : x;
        const int source = backward ? x - d : x - 80 + d;
        if (d < e || hidden > 0) {
            --hidden;
            row[target] = static_cast<std::uint8_t>(random.Next() * 255 / 32767);
            hidden = std::max(hidden, e - d);
        } else if (source >= 0 && source < 640) {
            row[target] = row[source];
        }
    }
}

TEST(RowScans, CopyRunsExactlyAsThePlainPixelRule) {
    std::mt19937 rng(23);
    std::array<Fixture, 3> pictures{Fixture(640, 1), Fixture(704, 2), Fixture(1031, 3)};
    for (int trial = 0; trial < 2000; ++trial) {
        Fixture& f = pictures[static_cast<std::size_t>(trial % 3)];
        const int y = static_cast<int>(rng() % 480);
        std::int8_t* depth = f.scene.depth.Row(y);
        // Flat stretches, mostly at painted depths, some at any byte value.
        for (int x = 0; x < 640;) {
            const int value = rng() % 4 == 0 ? static_cast<int>(rng() % 256) - 128
                                             : static_cast<int>(rng() % 36) - 3;
            for (int end = std::min(640, x + 1 + static_cast<int>(rng() % 90)); x < end; ++x) {
                depth[x] = static_cast<std::int8_t>(value);
            }
        }
        // Steps down whose hidden runs the end of the row cuts short.
        const int k = 1 + static_cast<int>(rng() % 40);
        if (trial % 4 == 0) {
            std::fill(depth + 640 - k - 2, depth + 640, std::int8_t{-3});
            depth[640 - k - 3] = 40;
            std::fill(depth + 80, depth + 82 + k, std::int8_t{-3});
            depth[82 + k] = 40;
        }
        const bool backward = trial % 2 == 1;
        const int a = 81 + static_cast<int>(rng() % 528);
        const int r = static_cast<int>(rng() % 30);
        std::uint8_t* row = f.buffer.Picture().Row(y);
        std::vector<std::uint8_t> expected(row, row + 640);
        RandomGenerator random = f.scene.random;
        std::vector<std::int8_t> plainDepth(depth, depth + 640);
        for (int j = 0; j < 30; ++j) {
            plainDepth[static_cast<std::size_t>(a + (backward ? 1 : 0) + j)] = BrushCell(j, r);
        }
        PlainScan(random, expected.data(), plainDepth.data(), backward ? a + 30 : a, backward);
        const DepthRule clear{DepthRule::Kind::kButtons, kRightButton, 0};
        if (backward) {
            BackwardScan(f.scene, f.buffer.Picture(), a, y - r, r, clear);
        } else {
            ForwardScan(f.scene, f.buffer.Picture(), a, y - r, r, clear);
        }
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), row)) << "trial " << trial;
        ASSERT_EQ(f.scene.random.State(), random.State()) << "trial " << trial;
        // Whole-row re-synthesis is the forward rule from column 80.
        PlainScan(random, expected.data(), depth, 80, false);
        ResynthesizeRows(f.scene, f.buffer.Picture(), y, 1);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), row)) << "trial " << trial;
        ASSERT_EQ(f.scene.random.State(), random.State()) << "trial " << trial;
    }
    // Writes past the row's 640 pixels, or before it, land in some padding.
    for (const Fixture& f : pictures) {
        EXPECT_TRUE(f.buffer.PaddingIntact());
    }
}

}  // namespace
}  // namespace velmora::stereo
