#pragma once

// The depth map seen as itself: greys from far (black) to near (white), a
// relief shading that shows the edges of plateaus, and the outline of the
// resting brush. A way of presenting the scene, never a change to it.

#include <cstdint>

#include "stereo/scene.h"

namespace velmora::stereo {

// Everything the painter makes lies in -3..32 (a -3 plateau, a 30 plateau
// with the brush's core of 2 on top); each has its own grey.
constexpr int kFarthestDepth = -3;
constexpr int kNearestDepth = 32;
constexpr int kGreyStep = 7;

// The grey of a depth: (depth + 3) * 7, so -3 is black and 0 a dark grey.
// Depths outside -3..32 take the grey of the nearer end of the range.
constexpr std::uint8_t DepthGrey(int depth) {
    const int clamped = depth < kFarthestDepth  ? kFarthestDepth
                        : depth > kNearestDepth ? kNearestDepth
                                                : depth;
    return static_cast<std::uint8_t>((clamped - kFarthestDepth) * kGreyStep);
}

// Draws rows firstRow .. firstRow + rowCount - 1 (clipped to the screen) of
// the relief into `argb` (640x480 ARGB8888, stride 640 pixels): each pixel
// the grey of its depth, lit from the upper left so that a rise shows a
// bright edge and a fall a dark one, and the outline of the brush where
// `stamp` says it rests. A pixel's shading reads the row above, so after a
// depth change in rows a..b redraw rows a..b+1.
void RenderRelief(const DepthMap& depth, const BrushStamp& stamp, std::uint32_t* argb, int firstRow,
                  int rowCount);

}  // namespace velmora::stereo
