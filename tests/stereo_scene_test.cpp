#include <gtest/gtest.h>

#include "stereo/scene.h"
#include "tests/stereo_test_support.h"

namespace velmora::stereo {
namespace {

TEST(FillPatternTile, DrawsTheClassicSequenceInScanOrderAndWritesNothingElse) {
    const std::ptrdiff_t pitch = 97;
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(pitch * 120), 0xEE);
    RandomGenerator random;
    random.Seed(1);
    RandomGenerator expected = random;
    FillPatternTile(random, tile.data(), pitch);
    // Draws 41, 18467, 6334, 26500, 19169, 15724 scaled by 255 / 32767.
    EXPECT_EQ(std::vector<int>(tile.begin(), tile.begin() + 6),
              (std::vector<int>{0, 143, 49, 206, 149, 122}));
    for (std::size_t i = 0; i < tile.size(); ++i) {
        ASSERT_EQ(tile[i], i % pitch < 80 ? expected.NextIndex() : 0xEE) << i;
    }
    EXPECT_EQ(random.State(), expected.State());
}

TEST(DrawFirstPicture, StampsTheBrushAndCopiesOnlyInItsRows) {
    for (std::ptrdiff_t pitch : {640, 704}) {
        test::Fixture f(pitch, 99);
        const auto before = f.Pixels();
        const auto state = f.scene.random.State();
        DrawFirstPicture(f.scene, f.Picture());

        EXPECT_EQ(f.scene.random.State(), state);
        EXPECT_TRUE(f.PaddingIntact());
        const auto after = f.Pixels();
        int sum = 0;
        for (int y = 0; y < kScreenHeight; ++y) {
            for (int x = 0; x < kScreenWidth; ++x) {
                const int j = x - 374;
                const int r = y - 240;
                const bool inBrush = j >= 0 && j < 30 && r >= 0 && r < 30;
                const int depth = f.scene.depth.At(x, y);
                ASSERT_EQ(depth, inBrush ? BrushCell(j, r) : 0) << x << "," << y;
                // The brush: a blob over rows 0..19, mirrored top to bottom.
                ASSERT_TRUE(!inBrush || depth == (r < 20 ? BrushCell(j, 19 - r) : 0));
                sum += depth;
                // Columns 404..453 copy from left of the brush and need no visit.
                const bool rewritten = y >= 240 && y < 270 && x >= 374 && (x < 404 || x >= 454);
                const int i = y * 640 + x;
                ASSERT_EQ(after[i], rewritten ? after[i - 80 + depth] : before[i]) << x << "," << y;
            }
        }
        EXPECT_EQ(sum, 168 + 2 * 324);  // rim cells and core cells
    }
}

}  // namespace
}  // namespace velmora::stereo
