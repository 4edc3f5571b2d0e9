#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "stereo/random.h"

namespace velmora::stereo {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kPatternPeriod = 80;
constexpr int kTileWidth = 80;
constexpr int kTileHeight = 120;
constexpr int kBrushWidth = 30;
constexpr int kBrushHeight = 30;
constexpr int kSplitColumn = 374;
constexpr int kMinBrushX = 81;
constexpr int kMaxBrushX = kScreenWidth - 1 - kBrushWidth;    // 609
constexpr int kMaxBrushY = kScreenHeight - 1 - kBrushHeight;  // 449
constexpr int kStartX = 374;
constexpr int kStartY = 240;

constexpr std::uint32_t kLeftButton = 0x0001;   // MK_LBUTTON
constexpr std::uint32_t kRightButton = 0x0002;  // MK_RBUTTON

// The brush: a rounded blob 30 wide and 20 high (rim 1, core 2); rows 20..29
// are zero but still belong to every brush pass.
extern const std::array<std::int8_t, kBrushWidth * kBrushHeight> kBrush;

inline std::int8_t BrushCell(int column, int row) {
    return kBrush[row * kBrushWidth + column];
}

// One signed depth per screen pixel, stride 640. Changes wrap around in 8 bits.
class DepthMap {
  public:
    static constexpr std::size_t kSize = static_cast<std::size_t>(kScreenWidth) * kScreenHeight;

    // Zero-filled storage; the map is empty until display set-up allocates it.
    void Allocate() { cells_.assign(kSize, 0); }
    bool Allocated() const { return cells_.size() == kSize; }

    std::int8_t* Row(int y) {
        return cells_.data() + static_cast<std::ptrdiff_t>(y) * kScreenWidth;
    }
    const std::int8_t* Row(int y) const {
        return cells_.data() + static_cast<std::ptrdiff_t>(y) * kScreenWidth;
    }
    std::int8_t At(int x, int y) const { return Row(y)[x]; }
    std::int8_t* Data() { return cells_.data(); }
    const std::int8_t* Data() const { return cells_.data(); }

  private:
    std::vector<std::int8_t> cells_;
};

// Top-left corner of the brush now and at the previous mouse message.
struct BrushCursor {
    std::int32_t x = kStartX;
    std::int32_t y = kStartY;
    std::int32_t previousX = kStartX;
    std::int32_t previousY = kStartY;
};

// The stamp that sits in the depth map right now, so that the erase pass
// takes out exactly what the last apply pass put in, even after a refused
// lock or a change of scan mode.
struct BrushStamp {
    bool made = false;
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool backward = false;
};

// An 8-bit index buffer with its row pitch in bytes (pitch >= 640).
struct Picture {
    std::uint8_t* pixels = nullptr;
    std::ptrdiff_t pitch = kScreenWidth;

    std::uint8_t* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * pitch; }
};

// Everything the engine keeps between messages.
struct Scene {
    DepthMap depth;
    BrushCursor cursor;
    BrushStamp stamp;
    std::int32_t hiddenRun = 0;
    RandomGenerator random;
};

// Writes a fresh random index into every pixel of the 80x120 tile.
void FillPatternTile(RandomGenerator& random, std::uint8_t* pixels, std::ptrdiff_t pitch);

// Stamps the brush at the cursor's position into the depth map and the
// picture (which holds the tiled pattern), with the plain copy rule only.
void DrawFirstPicture(Scene& scene, Picture picture);

}  // namespace velmora::stereo
