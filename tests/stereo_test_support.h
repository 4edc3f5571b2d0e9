#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "stereo/scene.h"

namespace velmora::test {

// A 640x480 index buffer with a configurable pitch; the padding bytes hold a
// sentinel so that tests can prove nothing writes past a row's 640 pixels.
class PictureBuffer {
  public:
    static constexpr std::uint8_t kSentinel = 0xEE;

    explicit PictureBuffer(std::ptrdiff_t pitch = stereo::kScreenWidth)
        : pitch_(pitch),
          bytes_(static_cast<std::size_t>(pitch * stereo::kScreenHeight), kSentinel) {}

    stereo::Picture Picture() { return {bytes_.data(), pitch_}; }
    std::uint8_t At(int x, int y) const { return bytes_[static_cast<std::size_t>(y * pitch_ + x)]; }
    void Set(int x, int y, std::uint8_t v) { bytes_[static_cast<std::size_t>(y * pitch_ + x)] = v; }
    std::ptrdiff_t Pitch() const { return pitch_; }

    // Covers the screen with an 80x120 tile, as display set-up does.
    void Tile(const std::vector<std::uint8_t>& tile) {
        for (int y = 0; y < stereo::kScreenHeight; ++y) {
            for (int x = 0; x < stereo::kScreenWidth; ++x) {
                Set(x, y, tile[static_cast<std::size_t>((y % 120) * 80 + x % 80)]);
            }
        }
    }

    bool PaddingIntact() const {
        for (int y = 0; y < stereo::kScreenHeight; ++y) {
            for (std::ptrdiff_t x = stereo::kScreenWidth; x < pitch_; ++x) {
                if (bytes_[static_cast<std::size_t>(y * pitch_ + x)] != kSentinel) {
                    return false;
                }
            }
        }
        return true;
    }

    // Row-major copy without padding.
    std::vector<std::uint8_t> Pixels() const {
        std::vector<std::uint8_t> out(stereo::kScreenWidth * stereo::kScreenHeight);
        for (int y = 0; y < stereo::kScreenHeight; ++y) {
            const auto row = bytes_.begin() + y * pitch_;
            std::copy(row, row + stereo::kScreenWidth, out.begin() + y * stereo::kScreenWidth);
        }
        return out;
    }

  private:
    std::ptrdiff_t pitch_;
    std::vector<std::uint8_t> bytes_;
};

inline std::vector<std::uint8_t> RandomTile(stereo::RandomGenerator& random) {
    std::vector<std::uint8_t> tile(80 * 120);
    stereo::FillPatternTile(random, tile.data(), 80);
    return tile;
}

inline std::uint32_t Pack(int x, int y) {
    return (static_cast<std::uint32_t>(y) << 16) | static_cast<std::uint32_t>(x);
}

}  // namespace velmora::test
