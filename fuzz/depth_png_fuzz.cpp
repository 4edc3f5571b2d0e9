// Feeds arbitrary bytes to the depth map reader. It may refuse them, with one
// line and no map, or give a whole map of depths the painter can show; it
// never crashes, leaks or reads out of bounds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "files/depth_png.h"

namespace {

// Under fuzzing, images of more than this many pixels are passed over: a
// few kilobytes can inflate to hundreds of megabytes of rows, which is slow
// but covered by the unit tests' largest images. Every side up to the
// reader's own limit is still reached (16384 x 64, say).
constexpr std::uint64_t kFuzzMaxPixels = 1U << 20;

bool TooManyPixels(const std::uint8_t* data, std::size_t size) {
    if (size < 24) {
        return false;
    }
    const auto be32 = [data](std::size_t at) {
        return (std::uint32_t{data[at]} << 24) | (std::uint32_t{data[at + 1]} << 16) |
               (std::uint32_t{data[at + 2]} << 8) | data[at + 3];
    };
    return std::uint64_t{be32(16)} * be32(20) > kFuzzMaxPixels;
}

// Every depth one the painter can show (a function of its own, so that
// fuzzing can leave its per-pixel comparisons untraced).
bool DepthsInRange(const std::vector<std::int8_t>& depth) {
    return std::all_of(depth.begin(), depth.end(), [](std::int8_t d) {
        return d >= velmora::stereo::kFarthestDepth && d <= velmora::stereo::kNearestDepth;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    if (TooManyPixels(data, size)) {
        return 0;
    }
    const files::DecodedDepth decoded = files::DecodeDepthPng(data, size);
    if (!decoded.error.empty()) {
        if (!decoded.depth.empty() || decoded.brush ||
            decoded.error.find('\n') != std::string::npos) {
            std::abort();
        }
        return 0;
    }
    if (decoded.depth.size() != files::kMapSize || !DepthsInRange(decoded.depth)) {
        std::abort();
    }
    if (decoded.brush &&
        (decoded.brush->x < stereo::kMinBrushX || decoded.brush->x > stereo::kMaxBrushX ||
         decoded.brush->y < 0 || decoded.brush->y > stereo::kMaxBrushY)) {
        std::abort();
    }
    return 0;
}
