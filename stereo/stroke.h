#pragma once

#include <cstdint>

#include "stereo/scene.h"

namespace velmora::stereo {

// What a brush pass does to each depth cell it covers.
struct DepthRule {
    enum class Kind { kSubtract, kButtons };
    Kind kind = Kind::kSubtract;
    std::uint32_t buttons = 0;      // the message's key-state word
    std::int32_t drawingDepth = 0;  // painted as its low 8 bits, signed
};

// Settings the apply pass reads.
struct StrokeSettings {
    std::int32_t drawingDepth = 5;
    std::int32_t bidirectionalMode = 0;
};

// Saves the previous position and takes the clamped new one from a packed
// pointer position (x low 16 bits, y high 16 bits, both unsigned).
void MoveBrushCursor(BrushCursor& cursor, std::uint32_t position);

// Takes the last stamp out of the depth map and rebuilds its rows with the
// scan that made it; does nothing when no stamp is in place.
void EraseBrush(Scene& scene, Picture picture);

// Stamps the brush at the cursor's position with the button rule and
// rebuilds its rows, scanning leftwards when bidirectional mode is on and
// the brush lies left of the split column.
void ApplyBrush(Scene& scene, Picture picture, std::uint32_t buttons,
                const StrokeSettings& settings);

// One row of a brush pass at (a, b), brush row r. Positions outside the
// brush limits, or rows outside the screen, are ignored.
void ForwardScan(Scene& scene, Picture picture, int a, int b, int r, const DepthRule& rule);
void BackwardScan(Scene& scene, Picture picture, int a, int b, int r, const DepthRule& rule);

// Rebuilds whole rows (columns 80..639) from the depth map with the forward
// rule: what a whole-image generator would pay for every change.
void ResynthesizeRows(Scene& scene, Picture picture, int firstRow, int rowCount);

}  // namespace velmora::stereo
