#include "stereo/stroke.h"

namespace velmora::stereo {

namespace {

std::int8_t Wrap(int value) {
    return static_cast<std::int8_t>(value);
}

std::int8_t ApplyRule(const DepthRule& rule, std::int8_t old, std::int8_t cell) {
    if (rule.kind == DepthRule::Kind::kSubtract) {
        return Wrap(old - cell);
    }
    if ((rule.buttons & kRightButton) != 0) {
        return cell;
    }
    if ((rule.buttons & kLeftButton) != 0 && cell != 0) {
        return Wrap(static_cast<std::int8_t>(rule.drawingDepth) + cell);
    }
    return Wrap(old + cell);
}

// A pixel whose source lies outside the row keeps its value.
inline void CopyWithin(std::uint8_t* row, int target, int source) {
    if (source >= 0 && source < kScreenWidth) {
        row[target] = row[source];
    }
}

// The shared part of both pixel rules: after a step down (e > d) the next
// e - d + 1 written pixels get fresh random indexes, because the surface
// behind the step is hidden from one eye and has nothing to copy.
inline bool TakeHidden(Scene& scene, std::uint8_t& pixel, int d, int e) {
    if (d < e || scene.hiddenRun > 0) {
        --scene.hiddenRun;
        pixel = scene.random.NextIndex();
        if (e - d > scene.hiddenRun) {
            scene.hiddenRun = e - d;
        }
        return true;
    }
    return false;
}

inline void ForwardPixel(Scene& scene, std::uint8_t* row, const std::int8_t* depth, int x) {
    const int d = depth[x];
    if (!TakeHidden(scene, row[x], d, depth[x - 1])) {
        CopyWithin(row, x, x - kPatternPeriod + d);
    }
}

inline void BackwardPixel(Scene& scene, std::uint8_t* row, const std::int8_t* depth, int x) {
    const int d = depth[x];
    const int target = x - kPatternPeriod;
    if (!TakeHidden(scene, row[target], d, depth[x + 1])) {
        CopyWithin(row, target, x - d);
    }
}

bool UsesBackwardScan(int x, const StrokeSettings& settings) {
    return settings.bidirectionalMode != 0 && x < kSplitColumn;
}

void BrushPass(Scene& scene, Picture picture, int a, int b, bool backward, const DepthRule& rule) {
    for (int r = 0; r < kBrushHeight; ++r) {
        if (backward) {
            BackwardScan(scene, picture, a, b, r, rule);
        } else {
            ForwardScan(scene, picture, a, b, r, rule);
        }
    }
}

bool RowInside(int y) {
    return y >= 0 && y < kScreenHeight;
}

}  // namespace

void MoveBrushCursor(BrushCursor& cursor, std::uint32_t position) {
    cursor.previousX = cursor.x;
    cursor.previousY = cursor.y;
    int x = static_cast<int>(position & 0xFFFFU);
    int y = static_cast<int>((position >> 16) & 0xFFFFU);
    if (x >= kMaxBrushX) {
        x = kMaxBrushX;
    }
    if (x <= kMinBrushX) {
        x = kMinBrushX;
    }
    if (y >= kMaxBrushY) {
        y = kMaxBrushY;
    }
    cursor.x = x;
    cursor.y = y;
}

void ForwardScan(Scene& scene, Picture picture, int a, int b, int r, const DepthRule& rule) {
    const int y = b + r;
    if (a < kMinBrushX || a > kMaxBrushX || !RowInside(y) || !scene.depth.Allocated()) {
        return;
    }
    scene.hiddenRun = 0;
    std::int8_t* depth = scene.depth.Row(y);
    std::uint8_t* row = picture.Row(y);
    for (int j = 0; j < kBrushWidth; ++j) {
        const int x = a + j;
        depth[x] = ApplyRule(rule, depth[x], BrushCell(j, r));
        ForwardPixel(scene, row, depth, x);
    }
    for (int x = a + kBrushWidth; x < kScreenWidth; ++x) {
        ForwardPixel(scene, row, depth, x);
    }
}

void BackwardScan(Scene& scene, Picture picture, int a, int b, int r, const DepthRule& rule) {
    const int y = b + r;
    // The brush lands on columns a + 1 .. a + 30 and the rule reads one
    // column further right, so a + 31 must stay inside the row.
    if (a < kMinBrushX || a + kBrushWidth + 1 >= kScreenWidth || !RowInside(y) ||
        !scene.depth.Allocated()) {
        return;
    }
    scene.hiddenRun = 0;
    std::int8_t* depth = scene.depth.Row(y);
    std::uint8_t* row = picture.Row(y);
    for (int j = kBrushWidth - 1; j >= 0; --j) {
        const int x = a + 1 + j;
        depth[x] = ApplyRule(rule, depth[x], BrushCell(j, r));
        BackwardPixel(scene, row, depth, x);
    }
    for (int x = a; x >= kPatternPeriod; --x) {
        BackwardPixel(scene, row, depth, x);
    }
}

void EraseBrush(Scene& scene, Picture picture) {
    if (!scene.stamp.made) {
        return;
    }
    const BrushStamp stamp = scene.stamp;
    scene.stamp.made = false;
    BrushPass(scene, picture, stamp.x, stamp.y, stamp.backward, DepthRule{});
}

void ApplyBrush(Scene& scene, Picture picture, std::uint32_t buttons,
                const StrokeSettings& settings) {
    const int a = scene.cursor.x;
    const int b = scene.cursor.y;
    const bool backward = UsesBackwardScan(a, settings);
    const DepthRule rule{DepthRule::Kind::kButtons, buttons, settings.drawingDepth};
    BrushPass(scene, picture, a, b, backward, rule);
    scene.stamp = BrushStamp{true, a, b, backward};
}

void ResynthesizeRows(Scene& scene, Picture picture, int firstRow, int rowCount) {
    if (!scene.depth.Allocated()) {
        return;
    }
    for (int y = firstRow; y < firstRow + rowCount; ++y) {
        if (!RowInside(y)) {
            continue;
        }
        scene.hiddenRun = 0;
        const std::int8_t* depth = scene.depth.Row(y);
        std::uint8_t* row = picture.Row(y);
        for (int x = kPatternPeriod; x < kScreenWidth; ++x) {
            ForwardPixel(scene, row, depth, x);
        }
    }
}

}  // namespace velmora::stereo
