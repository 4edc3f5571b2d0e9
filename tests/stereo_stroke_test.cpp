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

std::vector<std::int8_t> DepthOf(const Scene& scene) {
    return {scene.depth.Data(), scene.depth.Data() + DepthMap::kSize};
}

// Cell i of the brush placed by `stamp`, in a depth map's bytes.
std::int8_t& Under(std::vector<std::int8_t>& depth, const BrushStamp& stamp, int i) {
    return depth[static_cast<std::size_t>((stamp.y + i / 30) * 640 + stamp.x + i % 30 +
                                          stamp.backward)];
}

// The painting plus the stamp in place, in 8 bits as the map keeps them.
std::vector<std::int8_t> WithStamp(std::vector<std::int8_t> depth, const BrushStamp& stamp) {
    for (int i = 0; i < kBrushWidth * kBrushHeight && stamp.made; ++i) {
        Under(depth, stamp, i) += kBrush[static_cast<std::size_t>(i)];
    }
    return depth;
}

// Random strokes with every button word, any drawing depth (read as its low
// byte), mode toggles and refused locks.
TEST(StrokeSequence, DepthIsThePaintingPlusOneStampAndOnlyItsRowsChange) {
    for (std::uint32_t seed : {1U, 2U}) {
        Fixture f(704, seed);
        DrawFirstPicture(f.scene, f.Picture());
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
            const auto before = f.Pixels();
            const int oldY = f.scene.stamp.y;
            f.Stroke(x, y, buttons, settings, locked);
            if (!locked) {
                continue;
            }
            const BrushCursor& at = f.scene.cursor;
            const bool backward = settings.bidirectionalMode != 0 && at.x < kSplitColumn;
            const BrushStamp& stamp = f.scene.stamp;
            ASSERT_EQ((std::vector<int>{stamp.made, stamp.x, stamp.y, stamp.backward}),
                      (std::vector<int>{1, at.x, at.y, backward}));
            for (int i = 0; i < kBrushWidth * kBrushHeight; ++i) {
                std::int8_t& cell = Under(painted, stamp, i);
                if ((buttons & kRightButton) != 0) {
                    cell = 0;
                } else if ((buttons & kLeftButton) != 0 &&
                           kBrush[static_cast<std::size_t>(i)] != 0) {
                    cell = static_cast<std::int8_t>(settings.drawingDepth);
                }
            }
            // Only the rows under the old stamp and the new brush change.
            const auto after = f.Pixels();
            for (int row = 0; row < kScreenHeight; ++row) {
                const auto from = static_cast<std::ptrdiff_t>(row) * 640;
                ASSERT_TRUE((row >= oldY && row < oldY + 30) || (row >= at.y && row < at.y + 30) ||
                            std::equal(before.begin() + from, before.begin() + from + 640,
                                       after.begin() + from))
                    << "step " << step << " row " << row;
            }
            if (step % 8 == 0) {
                ASSERT_EQ(DepthOf(f.scene), WithStamp(painted, stamp)) << "step " << step;
                std::vector<std::int8_t> paint;
                CopyPaint(f.scene, paint);
                ASSERT_EQ(paint, painted) << "step " << step;  // the cursor is not paint
            }
        }
        // Moving on without a button takes the stamp out; the painting stays.
        f.Stroke(600, 449, 0, {5, 0});
        f.Stroke(600, 0, 0, {5, 0});
        EXPECT_EQ(DepthOf(f.scene), WithStamp(painted, f.scene.stamp));
        EXPECT_TRUE(f.PaddingIntact());
        // A change under the stamp leaves the stamp where it was.
        ChangeUnderStamp(f.scene, [](DepthMap& depth) { depth.Row(0)[600] = 9; });
        painted[600] = 9;
        EXPECT_EQ(DepthOf(f.scene), WithStamp(painted, f.scene.stamp));
    }
}

TEST(StrokeSequence, RefusedPassesAndRowsOffTheScreenChangeNothing) {
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

    // Rows off the screen are skipped.
    Fixture g = f;
    ResynthesizeRows(f.scene, f.Picture(), -3, 4);
    ResynthesizeRows(f.scene, f.Picture(), 479, 4);
    for (int y : {0, 479}) {
        ResynthesizeRows(g.scene, g.Picture(), y, 1);
    }
    EXPECT_TRUE(f.Pixels() == g.Pixels() && f.scene.random.State() == g.scene.random.State());
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
