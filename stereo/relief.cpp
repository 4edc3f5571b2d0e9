#include "stereo/relief.h"

#include <algorithm>
#include <cstdint>

namespace velmora::stereo {

namespace {

// Grey levels per unit of rise towards the light. A one-step rim (a rise of
// 1 is only 7 levels of base grey) must still show a clear edge.
constexpr int kShade = 16;
constexpr std::uint32_t kOpaque = 0xFF000000U;
constexpr std::uint32_t kOutline = 0xFFFF0000U;

std::uint32_t Grey(int level) {
    return kOpaque | static_cast<std::uint32_t>(std::clamp(level, 0, 255)) * 0x010101U;
}

// A brush cell on the rim: non-zero, with a zero cell or the stamp's border
// beside it.
bool OnRim(int column, int row) {
    if (BrushCell(column, row) == 0) {
        return false;
    }
    const auto empty = [](int c, int r) {
        return c < 0 || c >= kBrushWidth || r < 0 || r >= kBrushHeight || BrushCell(c, r) == 0;
    };
    return empty(column - 1, row) || empty(column + 1, row) || empty(column, row - 1) ||
           empty(column, row + 1);
}

// Each pixel is lit by comparing its depth with its upper-left neighbour's:
// only the row above is read, so a change in a row affects that row and the
// next. The top row and the left column compare with themselves.
void ShadeRow(const DepthMap& depth, int y, std::uint32_t* out) {
    if (!depth.Allocated()) {
        std::fill_n(out, kScreenWidth, Grey(DepthGrey(0)));
        return;
    }
    const std::int8_t* row = depth.Row(y);
    const std::int8_t* above = y > 0 ? depth.Row(y - 1) : row;
    for (int x = 0; x < kScreenWidth; ++x) {
        const int d = row[x];
        const int light = x > 0 ? above[x - 1] : above[x];
        out[x] = Grey(DepthGrey(d) + kShade * (d - light));
    }
}

}  // namespace

void RenderRelief(const DepthMap& depth, const BrushStamp& stamp, std::uint32_t* argb, int firstRow,
                  int rowCount) {
    // 64-bit sums: the row range and the stamp's corner are the caller's and
    // may lie anywhere.
    const std::int64_t top = std::max<std::int64_t>(firstRow, 0);
    const std::int64_t bottom =
        std::min<std::int64_t>(static_cast<std::int64_t>(firstRow) + rowCount, kScreenHeight);
    for (std::int64_t y = top; y < bottom; ++y) {
        ShadeRow(depth, static_cast<int>(y), argb + y * kScreenWidth);
    }
    if (!stamp.made) {
        return;
    }
    // A backward pass lands the brush one column further right.
    const std::int64_t left = static_cast<std::int64_t>(stamp.x) + (stamp.backward ? 1 : 0);
    for (int r = 0; r < kBrushHeight; ++r) {
        const std::int64_t y = static_cast<std::int64_t>(stamp.y) + r;
        if (y < top || y >= bottom) {
            continue;
        }
        for (int j = 0; j < kBrushWidth; ++j) {
            const std::int64_t x = left + j;
            if (x >= 0 && x < kScreenWidth && OnRim(j, r)) {
                argb[y * kScreenWidth + x] = kOutline;
            }
        }
    }
}

}  // namespace velmora::stereo
