#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "stereo/relief.h"

namespace velmora::stereo {
namespace {

constexpr std::uint32_t kRed = 0xFFFF0000U;

int Level(std::uint32_t pixel) {
    return pixel == (0xFF000000U | (pixel & 0xFFU) * 0x010101U) ? static_cast<int>(pixel & 0xFFU)
                                                                : -1;
}

struct Relief {
    DepthMap depth;
    BrushStamp stamp;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(640 * 480, 0);

    Relief() { depth.Allocate(); }
    void Fill(int value, int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y) {
            std::fill(depth.Row(y) + left, depth.Row(y) + right, static_cast<std::int8_t>(value));
        }
    }
    void Render(int firstRow = 0, int rowCount = 480) {
        RenderRelief(depth, stamp, pixels.data(), firstRow, rowCount);
    }
    int At(int x, int y) const { return Level(pixels[y * 640 + x]); }
};

TEST(RenderRelief, GreysOfDepthsEdgesOfPlateausAndTheBrushOutline) {
    // Flat: the grey of the depth, clamped to the painted range; a plateau's
    // upper-left edge brighter and its lower-right edge darker; the corner,
    // lit from outside the map, flat.
    Relief r;
    r.Fill(5, 200, 100, 300, 150);
    r.Fill(32, 0, 0, 10, 10);
    r.Fill(-4, 600, 400, 640, 480);
    r.Fill(40, 500, 400, 540, 480);
    r.stamp = {true, 100, 300, true};
    r.Render();
    const std::tuple<int, int, int> table[] = {
        {250, 120, 56},  {400, 200, 21}, {0, 0, 245},    {9, 9, 245},     {620, 470, 0},
        {520, 470, 245}, {201, 101, 56}, {299, 149, 56}, {200, 120, 136}, {300, 120, 0}};
    for (const auto& [x, y, level] : table) {
        EXPECT_EQ(r.At(x, y), level) << x << "," << y;
    }
    // The outline: the rim of the brush's blob, one column further right after
    // a backward pass, red; nothing red without a stamp.
    int red = 0;
    for (int y = 300; y < 330; ++y) {
        for (int x = 101; x < 131; ++x) {
            const auto cell = [](int j, int row) {
                return j >= 0 && j < 30 && row >= 0 && row < 30 && BrushCell(j, row) != 0;
            };
            const int j = x - 101;
            const int row = y - 300;
            const bool rim = cell(j, row) && !(cell(j - 1, row) && cell(j + 1, row) &&
                                               cell(j, row - 1) && cell(j, row + 1));
            EXPECT_EQ(r.pixels[y * 640 + x] == kRed, rim) << x << "," << y;
            red += rim ? 1 : 0;
        }
    }
    EXPECT_EQ(std::count(r.pixels.begin(), r.pixels.end(), kRed), red);
    r.stamp.made = false;
    r.Render();
    EXPECT_EQ(std::count(r.pixels.begin(), r.pixels.end(), kRed), 0);
}

TEST(RenderRelief, RedrawingTheChangedRowsAndTheNextMatchesAFullRender) {
    for (const auto& [first, last] : {std::pair{0, 0}, {100, 129}, {450, 479}}) {
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
    // Only the rows asked for, clipped to the screen, are written.
    Relief r;
    r.stamp = {true, 300, 440, false};
    r.Render(470, 100);
    r.Render(-5, 10);
    for (int y = 0; y < 480; ++y) {
        EXPECT_EQ(r.pixels[y * 640 + 10] != 0, y < 5 || y >= 470) << y;
    }
}

}  // namespace
}  // namespace velmora::stereo
