#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "stereo/stroke.h"

namespace velmora::test {

inline std::uint32_t Pack(int x, int y) {
    return (static_cast<std::uint32_t>(y) << 16) | static_cast<std::uint32_t>(x);
}

// A scene with an allocated zero depth map over a 640x480 picture tiled with
// a random 80x120 tile, as display set-up leaves them. The picture's padding
// holds a sentinel, so that a write past a row's 640 pixels shows.
struct Fixture {
    stereo::Scene scene;
    std::ptrdiff_t pitch;
    std::vector<std::uint8_t> bytes;

    explicit Fixture(std::ptrdiff_t rowPitch = 640, std::uint32_t seed = 7)
        : pitch(rowPitch), bytes(static_cast<std::size_t>(rowPitch * 480), 0xEE) {
        scene.depth.Allocate();
        scene.random.Seed(seed);
        std::vector<std::uint8_t> tile(80 * 120);
        stereo::FillPatternTile(scene.random, tile.data(), 80);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                bytes[static_cast<std::size_t>(y * pitch + x)] = tile[(y % 120) * 80 + x % 80];
            }
        }
    }

    stereo::Picture Picture() { return {bytes.data(), pitch}; }

    // Row-major pixels without padding.
    std::vector<std::uint8_t> Pixels() const {
        std::vector<std::uint8_t> out;
        out.reserve(640 * 480);
        for (int y = 0; y < 480; ++y) {
            out.insert(out.end(), bytes.begin() + y * pitch, bytes.begin() + y * pitch + 640);
        }
        return out;
    }

    bool PaddingIntact() const {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (static_cast<std::ptrdiff_t>(i) % pitch >= 640 && bytes[i] != 0xEE) {
                return false;
            }
        }
        return true;
    }

    // One stroke update; a refused lock moves the cursor only.
    void Stroke(int x, int y, std::uint32_t buttons, const stereo::StrokeSettings& settings,
                bool locked = true) {
        stereo::MoveBrushCursor(scene.cursor, Pack(x, y));
        if (locked) {
            stereo::EraseBrush(scene, Picture());
            stereo::ApplyBrush(scene, Picture(), buttons, settings);
        }
    }
};

}  // namespace velmora::test
