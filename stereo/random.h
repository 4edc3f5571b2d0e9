#pragma once

#include <cstdint>

namespace velmora::stereo {

// The one generator of the process: a classic 32-bit linear congruential
// generator yielding 15-bit results. It is seeded once, during display set-up,
// and every random draw of the program (palette shuffles, tile fill, hidden
// runs) continues the same sequence, so a seed reproduces a whole session.
class RandomGenerator {
  public:
    static constexpr int kMax = 0x7FFF;

    void Seed(std::uint32_t seed) { state_ = seed; }

    int Next() {
        state_ = state_ * 214013U + 2531011U;
        return static_cast<int>((state_ >> 16) & 0x7FFFU);
    }

    // A palette index 0..255; 255 comes only from a draw of 32767.
    std::uint8_t NextIndex() { return static_cast<std::uint8_t>(Next() * 255 / kMax); }

    std::uint32_t State() const { return state_; }

  private:
    std::uint32_t state_ = 0;
};

}  // namespace velmora::stereo
