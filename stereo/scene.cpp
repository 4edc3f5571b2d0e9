#include "stereo/scene.h"

#include <string_view>

namespace velmora::stereo {

namespace {

constexpr std::array<std::string_view, 20> kBrushRows = {
    "000000000011111111100000000000", "000000111111111111111111000000",
    "000111111122222222211111111000", "000111222222222222222222111000",
    "011122222222222222222222211100", "011122222222222222222222211100",
    "011122222222222222222222211100", "111222222222222222222222222111",
    "111222222222222222222222222111", "111222222222222222222222222111",
    "111222222222222222222222222111", "111222222222222222222222222111",
    "111222222222222222222222222111", "011122222222222222222222211100",
    "011122222222222222222222211100", "011122222222222222222222211100",
    "000111222222222222222222111000", "000111111122222222211111111000",
    "000000111111111111111111000000", "000000000011111111100000000000",
};

constexpr std::array<std::int8_t, kBrushWidth * kBrushHeight> MakeBrush() {
    std::array<std::int8_t, kBrushWidth * kBrushHeight> cells{};
    for (std::size_t row = 0; row < kBrushRows.size(); ++row) {
        for (std::size_t column = 0; column < kBrushWidth; ++column) {
            cells[row * kBrushWidth + column] =
                static_cast<std::int8_t>(kBrushRows[row][column] - '0');
        }
    }
    return cells;
}

// Copies pixel x from the column `source`; a source outside the row leaves
// the pixel as it is, so nothing is ever read outside the picture.
inline void CopyWithin(std::uint8_t* row, int x, int source) {
    if (source >= 0 && source < kScreenWidth) {
        row[x] = row[source];
    }
}

}  // namespace

const std::array<std::int8_t, kBrushWidth* kBrushHeight> kBrush = MakeBrush();

void FillPatternTile(RandomGenerator& random, std::uint8_t* pixels, std::ptrdiff_t pitch) {
    for (int row = 0; row < kTileHeight; ++row) {
        std::uint8_t* line = pixels + static_cast<std::ptrdiff_t>(row) * pitch;
        for (int column = 0; column < kTileWidth; ++column) {
            line[column] = random.NextIndex();
        }
    }
}

void DrawFirstPicture(Scene& scene, Picture picture) {
    const int left = scene.cursor.x;
    const int top = scene.cursor.y;
    if (left < kMinBrushX || left > kMaxBrushX || !scene.depth.Allocated()) {
        return;
    }
    for (int r = 0; r < kBrushHeight; ++r) {
        const int y = top + r;
        if (y < 0 || y >= kScreenHeight) {
            continue;
        }
        std::int8_t* depth = scene.depth.Row(y);
        std::uint8_t* row = picture.Row(y);
        for (int j = 0; j < kBrushWidth; ++j) {
            const int x = left + j;
            depth[x] = static_cast<std::int8_t>(depth[x] + BrushCell(j, r));
            CopyWithin(row, x, x - kPatternPeriod + depth[x]);
        }
        // Columns between the brush and s copy from left of the brush, which
        // this pass leaves alone, so they need no visit.
        const int s = left + kBrushWidth + 50;
        for (int x = s; x < kScreenWidth; ++x) {
            CopyWithin(row, x, x - kPatternPeriod + depth[x]);
        }
    }
    scene.stamp = BrushStamp{true, left, top, false};
}

}  // namespace velmora::stereo
