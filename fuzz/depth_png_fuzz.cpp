// Feeds arbitrary bytes to the depth map reader. It may refuse them, with one
// line and no map, or give a whole map of depths the painter can show; it
// never crashes, leaks or reads out of bounds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "files/depth_png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const files::DecodedDepth decoded = files::DecodeDepthPng(data, size);
    if (!decoded.error.empty()) {
        if (!decoded.depth.empty() || decoded.brush ||
            decoded.error.find('\n') != std::string::npos) {
            std::abort();
        }
        return 0;
    }
    if (decoded.depth.size() != files::kMapSize ||
        !std::all_of(decoded.depth.begin(), decoded.depth.end(), [](std::int8_t d) {
            return d >= stereo::kFarthestDepth && d <= stereo::kNearestDepth;
        })) {
        std::abort();
    }
    if (decoded.brush &&
        (decoded.brush->x < stereo::kMinBrushX || decoded.brush->x > stereo::kMaxBrushX ||
         decoded.brush->y < 0 || decoded.brush->y > stereo::kMaxBrushY)) {
        std::abort();
    }
    return 0;
}
