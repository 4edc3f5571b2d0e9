#pragma once

#include <cstdint>
#include <functional>
#include <vector>

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

// Adds (sign 1) or takes out (sign -1) the brush's cells with their top-left
// corner at (x, y), wrapping in 8 bits as the scans do; cells past the right
// or bottom edge are left alone.
void AddBrushCells(DepthMap& depth, int x, int y, int sign);

// The column of the first cell a stamp put in: a backward scan lands one
// column right of its position.
int StampLeft(const BrushStamp& stamp);

// The depth map as painted: a copy without the stamp the cursor left in it.
void CopyPaint(const Scene& scene, std::vector<std::int8_t>& paint);

// Changes what is painted while the cursor's stamp stays where it is: the
// stamp comes out of the map, `change` alters the rest, the stamp goes back.
// Opening a map and taking a step back or forth all go through here.
void ChangeUnderStamp(Scene& scene, const std::function<void(DepthMap&)>& change);

// Rebuilds whole rows (columns 80..639) from the depth map with the forward
// rule: what a whole-image generator would pay for every change.
void ResynthesizeRows(Scene& scene, Picture picture, int firstRow, int rowCount);

}  // namespace velmora::stereo
