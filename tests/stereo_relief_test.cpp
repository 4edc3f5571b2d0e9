#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "stereo/relief.h"

namespace velmora::stereo {
namespace {

constexpr std::uint32_t kRed = 0xFFFF0000U;
constexpr std::uint32_t kUnwritten = 0x12345678U;

std::uint32_t Grey(int level) {
    return 0xFF000000U | static_cast<std::uint32_t>(level) * 0x010101U;
}

int Level(std::uint32_t pixel) {
    return static_cast<int>(pixel & 0xFFU);
}

struct Relief {
    DepthMap depth;
    BrushStamp stamp;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(640 * 480, kUnwritten);

    Relief() { depth.Allocate(); }
    void Fill(int value, int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                depth.Row(y)[x] = static_cast<std::int8_t>(value);
            }
        }
    }
    void Render(int firstRow = 0, int rowCount = 480) {
        RenderRelief(depth, stamp, pixels.data(), firstRow, rowCount);
    }
    std::uint32_t At(int x, int y) const { return pixels[y * 640 + x]; }
};

TEST(RenderRelief, FlatMapsShowTheGreyOfTheirDepthClampedToThePaintedRange) {
    const std::pair<int, int> table[] = {{-3, 0},   {0, 21},    {5, 56}, {30, 231}, {32, 245},
                                         {33, 245}, {127, 245}, {-4, 0}, {-128, 0}};
    for (const auto& [depth, level] : table) {
        Relief r;
        r.Fill(depth, 0, 0, 640, 480);
        r.Render();
        for (std::size_t i = 0; i < r.pixels.size(); ++i) {
            ASSERT_EQ(r.pixels[i], Grey(level)) << depth << " at " << i;
        }
    }
    std::vector<std::uint32_t> unallocated(640 * 480);
    RenderRelief(DepthMap{}, BrushStamp{}, unallocated.data(), 0, 480);
    EXPECT_EQ(unallocated, std::vector<std::uint32_t>(640 * 480, Grey(21))) << "flat at 0";
}

TEST(RenderRelief, PlateausShowABrightUpperLeftEdgeAndADarkLowerRightOne) {
    Relief r;
    r.Fill(5, 200, 100, 300, 150);  // level 56 on a background of 21
    r.Fill(5, 0, 0, 10, 10);        // in the corner: its top and left compare with themselves
    r.Render();
    for (const auto& [x, y] : {std::pair{200, 100}, {250, 100}, {200, 120}, {299, 100}}) {
        EXPECT_GT(Level(r.At(x, y)), 56 + 20) << x << "," << y;
    }
    for (const auto& [x, y] : {std::pair{300, 120}, {250, 150}, {300, 150}, {201, 150}}) {
        EXPECT_LT(Level(r.At(x, y)), 21 - 10) << x << "," << y;
    }
    // Away from the edges, and where the light comes from outside the map, flat.
    const std::tuple<int, int, int> flat[] = {{201, 101, 56}, {299, 149, 56}, {250, 120, 56},
                                              {0, 0, 56},     {9, 0, 56},     {0, 9, 56},
                                              {199, 120, 21}, {250, 99, 21},  {400, 300, 21}};
    for (const auto& [x, y, level] : flat) {
        EXPECT_EQ(r.At(x, y), Grey(level)) << x << "," << y;
    }
}

TEST(RenderRelief, OutlinesTheBrushRimWhereTheStampRestsClippedToTheScreen) {
    // The rim: non-zero cells with fewer than four non-zero neighbours in the stamp.
    const auto rim = [](int j, int r) {
        const auto cell = [](int c, int row) {
            return c >= 0 && c < 30 && row >= 0 && row < 30 && BrushCell(c, row) != 0;
        };
        return cell(j, r) && cell(j - 1, r) + cell(j + 1, r) + cell(j, r - 1) + cell(j, r + 1) < 4;
    };
    EXPECT_TRUE(rim(10, 0) && rim(0, 7) && rim(29, 12) && rim(6, 1) && !rim(15, 10) &&
                !rim(10, 1) && !rim(0, 0));
    // Stamps, and where their column 0 lands: a backward pass puts it one further right.
    const std::pair<BrushStamp, int> cases[] = {{{true, 100, 200, false}, 100},
                                                {{true, 100, 200, true}, 101},
                                                {{true, -10, 465, false}, -10},
                                                {{true, 625, -12, true}, 626},
                                                {{false, 100, 200, false}, 0}};
    for (const auto& [stamp, left] : cases) {
        Relief r;
        r.stamp = stamp;
        r.Render();
        int red = 0;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                const int j = x - left;
                const int row = y - stamp.y;
                const bool outline =
                    stamp.made && j >= 0 && j < 30 && row >= 0 && row < 30 && rim(j, row);
                ASSERT_EQ(r.At(x, y), outline ? kRed : Grey(21))
                    << stamp.x << "," << stamp.y << " at " << x << "," << y;
                red += outline ? 1 : 0;
            }
        }
        EXPECT_EQ(red > 0, stamp.made);
    }
}

TEST(RenderRelief, RedrawingTheChangedRowsAndTheNextMatchesAFullRender) {
    // The rows whose depth changes.
    for (const auto& [first, last] : {std::pair{0, 0}, {100, 129}, {200, 200}, {450, 479}}) {
        Relief r;
        r.Fill(7, 150, 50, 500, 400);
        r.stamp = {true, 300, first, false};
        r.Render();
        r.Fill(-3, 0, first, 640, last + 1);
        r.Fill(12, 160, first, 300, last + 1);
        r.Render(first, last - first + 2);
        const auto redrawn = r.pixels;
        r.Render();
        EXPECT_EQ(redrawn, r.pixels) << first << ".." << last;
    }
    // Only the rows asked for, clipped to the screen, are written, the brush's too.
    for (const auto& [first, count, top, bottom] : {std::tuple{470, 100, 470, 480},
                                                    {-5, 10, 0, 5},
                                                    {300, 150, 300, 450},
                                                    {-50, 10, 0, 0},
                                                    {300, 0, 0, 0}}) {
        Relief r;
        r.stamp = {true, 300, 440, false};
        r.Render(first, count);
        for (int y = 0; y < 480; ++y) {
            const bool drawn = y >= top && y < bottom;
            for (int x = 0; x < 640; ++x) {
                ASSERT_EQ(r.At(x, y) != kUnwritten, drawn) << first << " at " << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace velmora::stereo
