#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "stereo/stroke.h"
#include "tests/stereo_test_support.h"

namespace velmora::stereo {
namespace {

using test::Fixture;
using test::Pack;

TEST(MoveBrushCursor, ClampsUnsignedFieldsAndKeepsThePreviousPosition) {
    const struct {
        std::uint32_t position;
        int x, y;
    } moves[] = {{Pack(0, 0), 81, 0},       {Pack(639, 479), 609, 449}, {0xFFFFFFFFU, 609, 449},
                 {Pack(82, 448), 82, 448},  {Pack(608, 3), 608, 3},     {Pack(81, 449), 81, 449},
                 {Pack(610, 450), 609, 449}};
    BrushCursor cursor;
    for (const auto& m : moves) {
        const BrushCursor before = cursor;
        MoveBrushCursor(cursor, m.position);
        EXPECT_EQ((std::vector<int>{cursor.x, cursor.y, cursor.previousX, cursor.previousY}),
                  (std::vector<int>{m.x, m.y, before.x, before.y}))
            << std::hex << m.position;
    }
}

// One scan of row 125 with brush row 25 (all zero cells, so the depth stays
// as set up) at (200, 100): depth 10, falling by k1 at depth column 300 and
// by k2 at 302 (backward: 150 and 148, in scan order). Every pixel the scan
// writes copies by its rule except `draws` pixels in scan order from the
// first step's pixel, which take the next random indexes; nothing else changes.
TEST(RowScans, StepsDownGiveHiddenStretchesAndEverythingElseCopies) {
    const struct {
        bool backward;
        int k1, k2, draws;
    } cases[] = {
        {false, 0, 0, 0}, {false, 1, 0, 2},
        {false, 7, 0, 8}, {false, -4, 0, 0},  // a step up draws nothing
        {false, 5, 2, 6},                     // 3 left after the second step's draw: runs on
        {false, 5, 3, 6},                     // not longer: runs on
        {false, 5, 5, 8},                     // longer: restarts
        {true, 4, 0, 5},  {true, -4, 0, 0},
        {true, 5, 2, 6},  {true, 5, 5, 8},
    };
    for (const auto& c : cases) {
        Fixture f(704);
        std::int8_t* depth = f.scene.depth.Row(125);
        for (int x = 0; x < 640; ++x) {
            const int n = c.backward ? 150 - x : x - 300;  // position in scan order
            depth[x] = static_cast<std::int8_t>(10 - (n >= 0 ? c.k1 : 0) - (n >= 2 ? c.k2 : 0));
        }
        auto expected = f.Pixels();
        RandomGenerator random = f.scene.random;
        f.scene.hiddenRun = 3;  // left over from another row
        (c.backward ? BackwardScan : ForwardScan)(f.scene, f.Picture(), 200, 100, 25, {});
        const auto after = f.Pixels();
        const std::uint8_t* result = after.data() + 125 * 640;
        std::uint8_t* row = expected.data() + 125 * 640;
        for (int n = 0; n < c.draws; ++n) {
            row[c.backward ? 70 - n : 300 + n] = random.NextIndex();
        }
        // Pixels written: 200..639 forward, 150 down to 0 backward.
        for (int p = 0; p < 640; ++p) {
            const int n = c.backward ? 70 - p : p - 300;
            if ((n < 0 || n >= c.draws) && (c.backward ? p <= 150 : p >= 200)) {
                row[p] = c.backward ? result[p + 80 - depth[p + 80]] : result[p - 80 + depth[p]];
            }
        }
        EXPECT_EQ(after, expected) << c.backward << " " << c.k1 << " " << c.k2;
        EXPECT_EQ(f.scene.random.State(), random.State()) << "exactly the stretch draws";
        EXPECT_TRUE(f.PaddingIntact());
    }
}

std::vector<std::int8_t> DepthOf(const Scene& scene) {
    return {scene.depth.Data(), scene.depth.Data() + DepthMap::kSize};
}

// The painting plus the stamp in place, in 8 bits as the map keeps them.
std::vector<std::int8_t> WithStamp(std::vector<std::int8_t> depth, const BrushStamp& stamp) {
    for (int i = 0; i < kBrushWidth * kBrushHeight && stamp.made; ++i) {
        auto& cell = depth[static_cast<std::size_t>((stamp.y + i / 30) * 640 + stamp.x + i % 30 +
                                                    stamp.backward)];
        cell = static_cast<std::int8_t>(cell + kBrush[static_cast<std::size_t>(i)]);
    }
    return depth;
}

// Random strokes with every button word, any drawing depth (read as its low
// byte), mode toggles and refused locks, on two pitches in step.
TEST(StrokeSequence, DepthIsThePaintingPlusOneStampAndThePitchChangesNothing) {
    for (std::uint32_t seed : {1U, 2U}) {
        Fixture narrow(640, seed);
        Fixture wide(1000, seed);
        const auto both = {&narrow, &wide};
        for (Fixture* f : both) {
            DrawFirstPicture(f->scene, f->Picture());
        }
        std::vector<std::int8_t> painted(DepthMap::kSize, 0);
        std::mt19937 rng(seed);
        StrokeSettings settings;
        for (int step = 0; step < 600; ++step) {
            const int edges[] = {81, 373, 374, 609};  // clamps and the split column
            const int x = rng() % 8 == 0 ? edges[rng() % 4] : static_cast<int>(rng() % 700);
            const int y = static_cast<int>(rng() % 520);
            const std::uint32_t buttons = rng() % 3 == 0 ? 0 : rng() % 16;
            settings.bidirectionalMode ^= rng() % 40 == 0 ? 1 : 0;
            settings.drawingDepth = static_cast<int>(rng() % 300) - 150;
            const bool locked = rng() % 25 != 0;
            const auto before = narrow.bytes;
            const int oldY = narrow.scene.stamp.y;
            for (Fixture* f : both) {
                f->Stroke(x, y, buttons, settings, locked);
            }
            if (!locked) {
                continue;
            }
            const BrushCursor& at = wide.scene.cursor;
            const bool backward = settings.bidirectionalMode != 0 && at.x < kSplitColumn;
            const BrushStamp& stamp = wide.scene.stamp;
            ASSERT_EQ((std::vector<int>{stamp.made, stamp.x, stamp.y, stamp.backward}),
                      (std::vector<int>{1, at.x, at.y, backward}));
            for (int i = 0; i < kBrushWidth * kBrushHeight; ++i) {
                auto& cell = painted[static_cast<std::size_t>((at.y + i / 30) * 640 + at.x +
                                                              i % 30 + backward)];
                if ((buttons & kRightButton) != 0) {
                    cell = 0;
                } else if ((buttons & kLeftButton) != 0 &&
                           kBrush[static_cast<std::size_t>(i)] != 0) {
                    cell = static_cast<std::int8_t>(settings.drawingDepth);
                }
            }
            // Only the rows under the old stamp and the new brush change.
            for (int row = 0; row < kScreenHeight; ++row) {
                const auto from = static_cast<std::ptrdiff_t>(row) * 640;
                ASSERT_TRUE((row >= oldY && row < oldY + 30) || (row >= at.y && row < at.y + 30) ||
                            std::equal(before.begin() + from, before.begin() + from + 640,
                                       narrow.bytes.begin() + from))
                    << "step " << step << " row " << row;
            }
            if (step % 8 == 0) {
                ASSERT_EQ(DepthOf(wide.scene), WithStamp(painted, stamp)) << "step " << step;
            }
        }
        // Moving on without a button takes the stamp out; the painting stays.
        for (Fixture* f : both) {
            f->Stroke(600, 449, 0, {5, 0});
            f->Stroke(600, 0, 0, {5, 0});
        }
        EXPECT_EQ(DepthOf(wide.scene), WithStamp(painted, wide.scene.stamp));
        EXPECT_EQ(narrow.Pixels(), wide.Pixels());
        EXPECT_EQ(narrow.scene.random.State(), wide.scene.random.State());
        EXPECT_TRUE(wide.PaddingIntact());
    }
}

TEST(StrokeSequence, AnyDepthBytesStayInsideTheRowAndRefusedPassesChangeNothing) {
    Fixture f(700, 5);
    std::mt19937 rng(5);
    for (std::size_t i = 0; i < DepthMap::kSize; ++i) {
        f.scene.depth.Data()[i] = static_cast<std::int8_t>(rng());
    }

    // Positions outside the brush limits, rows outside the screen and a
    // scene without a depth map are refused, whatever the rule.
    const auto pixels = f.Pixels();
    const auto depth = DepthOf(f.scene);
    const DepthRule clear{DepthRule::Kind::kButtons, kRightButton, 0};
    for (int a : {80, 610}) {
        ForwardScan(f.scene, f.Picture(), a, 0, 0, clear);
        BackwardScan(f.scene, f.Picture(), a - 1, 0, 0, clear);
    }
    ForwardScan(f.scene, f.Picture(), 200, 470, 10, clear);
    BackwardScan(f.scene, f.Picture(), 200, 460, 20, clear);
    Scene bare;
    DrawFirstPicture(bare, f.Picture());
    ApplyBrush(bare, f.Picture(), kRightButton, {});
    ResynthesizeRows(bare, f.Picture(), 0, kScreenHeight);
    EXPECT_EQ(f.Pixels(), pixels);
    EXPECT_EQ(DepthOf(f.scene), depth);

    // Re-synthesis of whole rows is the forward scan from column 81 when the
    // depth is flat up to column 80; rows off the screen are skipped.
    const int rows[] = {0, 1, 2, 477, 478, 479};
    for (int y : rows) {
        std::fill_n(f.scene.depth.Row(y), 81, std::int8_t{0});
    }
    Fixture g = f;
    ResynthesizeRows(f.scene, f.Picture(), -3, 6);
    ResynthesizeRows(f.scene, f.Picture(), 477, 6);
    for (int y : rows) {
        ForwardScan(g.scene, g.Picture(), 81, y - 25, 25, {});
    }
    EXPECT_EQ(f.Pixels(), g.Pixels());
    EXPECT_EQ(f.scene.random.State(), g.scene.random.State());

    ResynthesizeRows(f.scene, f.Picture(), 0, kScreenHeight);
    EXPECT_TRUE(f.PaddingIntact());
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
        std::uint8_t* row = f.Picture().Row(y);
        std::vector<std::uint8_t> expected(row, row + 640);
        RandomGenerator random = f.scene.random;
        std::vector<std::int8_t> plainDepth(depth, depth + 640);
        for (int j = 0; j < 30; ++j) {
            plainDepth[static_cast<std::size_t>(a + (backward ? 1 : 0) + j)] =
                kBrush[static_cast<std::size_t>(r * kBrushWidth + j)];
        }
        PlainScan(random, expected.data(), plainDepth.data(), backward ? a + 30 : a, backward);
        const DepthRule clear{DepthRule::Kind::kButtons, kRightButton, 0};
        if (backward) {
            BackwardScan(f.scene, f.Picture(), a, y - r, r, clear);
        } else {
            ForwardScan(f.scene, f.Picture(), a, y - r, r, clear);
        }
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), row)) << "trial " << trial;
        ASSERT_EQ(f.scene.random.State(), random.State()) << "trial " << trial;
        // Whole-row re-synthesis is the forward rule from column 80.
        PlainScan(random, expected.data(), depth, 80, false);
        ResynthesizeRows(f.scene, f.Picture(), y, 1);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), row)) << "trial " << trial;
        ASSERT_EQ(f.scene.random.State(), random.State()) << "trial " << trial;
    }
    // Writes past the row's 640 pixels, or before it, land in some padding.
    for (const Fixture& f : pictures) {
        EXPECT_TRUE(f.PaddingIntact());
    }
}

}  // namespace
}  // namespace velmora::stereo
