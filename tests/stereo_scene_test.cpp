#include <gtest/gtest.h>

#include "stereo/scene.h"
#include "tests/stereo_test_support.h"

namespace velmora::stereo {
namespace {

using test::PictureBuffer;

TEST(RandomGenerator, FollowsTheClassicSequenceAndScalesToIndexes) {
    RandomGenerator random;
    random.Seed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724};
    for (int value : expected) {
        EXPECT_EQ(random.Next(), value);
    }
    // 41 * 255 / 32767 = 0, 18467 * 255 / 32767 = 143.
    random.Seed(1);
    EXPECT_EQ(random.NextIndex(), 0);
    EXPECT_EQ(random.NextIndex(), 143);
}

TEST(Brush, TableHasTheRoundedBlobShape) {
    int ones = 0;
    int twos = 0;
    for (int r = 0; r < kBrushHeight; ++r) {
        for (int j = 0; j < kBrushWidth; ++j) {
            const int v = BrushCell(j, r);
            ones += v == 1;
            twos += v == 2;
            EXPECT_TRUE(v >= 0 && v <= 2);
            if (r < 20) {
                EXPECT_EQ(v, BrushCell(j, 19 - r)) << "top-bottom mirror at " << j << "," << r;
            } else {
                EXPECT_EQ(v, 0);
            }
        }
    }
    EXPECT_EQ(ones, 168);
    EXPECT_EQ(twos, 324);
    EXPECT_EQ(BrushCell(9, 0), 0);
    EXPECT_EQ(BrushCell(10, 0), 1);
    EXPECT_EQ(BrushCell(18, 0), 1);
    EXPECT_EQ(BrushCell(19, 0), 0);
    EXPECT_EQ(BrushCell(9, 2), 1);
    EXPECT_EQ(BrushCell(10, 2), 2);
    EXPECT_EQ(BrushCell(0, 7), 1);
    EXPECT_EQ(BrushCell(3, 7), 2);
    EXPECT_EQ(BrushCell(0, 6), 0);
}

TEST(FillPatternTile, WritesEveryTilePixelInScanOrderAndNothingElse) {
    const std::ptrdiff_t pitch = 97;
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(pitch * 120), 0xEE);
    RandomGenerator random;
    random.Seed(1234);
    FillPatternTile(random, tile.data(), pitch);
    RandomGenerator expected;
    expected.Seed(1234);
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < pitch; ++x) {
            const auto value = tile[static_cast<std::size_t>(y * pitch + x)];
            if (x < 80) {
                ASSERT_EQ(value, expected.NextIndex()) << x << "," << y;
            } else {
                ASSERT_EQ(value, 0xEE) << "padding written at " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(random.State(), expected.State());
}

TEST(DrawFirstPicture, StampsTheBrushAndChangesOnlyItsRows) {
    for (std::ptrdiff_t pitch : {640, 704}) {
        Scene scene;
        scene.depth.Allocate();
        scene.random.Seed(99);
        PictureBuffer buffer(pitch);
        buffer.Tile(test::RandomTile(scene.random));
        const auto before = buffer.Pixels();
        const auto stateBefore = scene.random.State();

        DrawFirstPicture(scene, buffer.Picture());

        EXPECT_EQ(scene.random.State(), stateBefore) << "the first picture draws no random numbers";
        EXPECT_TRUE(buffer.PaddingIntact());
        const auto after = buffer.Pixels();
        for (int y = 0; y < kScreenHeight; ++y) {
            for (int x = 0; x < kScreenWidth; ++x) {
                const int depth = scene.depth.At(x, y);
                const bool inBrush = x >= 374 && x < 404 && y >= 240 && y < 270;
                ASSERT_EQ(depth, inBrush ? BrushCell(x - 374, y - 240) : 0) << x << "," << y;
                if (y < 240 || y >= 260) {
                    ASSERT_EQ(after[y * 640 + x], before[y * 640 + x]) << x << "," << y;
                }
            }
        }
        // Every pixel of a brush row follows the copy rule; a cell of 2 copies from x - 78.
        for (int y = 240; y < 260; ++y) {
            for (int x = 374; x < 640; ++x) {
                if (x >= 404 && x < 454) {
                    continue;  // not visited: their sources lie left of the brush
                }
                const int source = x - 80 + scene.depth.At(x, y);
                ASSERT_EQ(after[y * 640 + x], after[y * 640 + source]) << x << "," << y;
            }
        }
        EXPECT_EQ(BrushCell(10, 10), 2);
        EXPECT_EQ(after[250 * 640 + 384], after[250 * 640 + 306]);
        EXPECT_TRUE(scene.stamp.made);
        EXPECT_EQ(scene.stamp.x, 374);
        EXPECT_EQ(scene.stamp.y, 240);
        EXPECT_FALSE(scene.stamp.backward);
    }
}

}  // namespace
}  // namespace velmora::stereo
