#include "stereo/stroke.h"

#include <algorithm>
#include <cstring>

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

// What a row scan carries from pixel to pixel. A local copy of the scene's
// count and generator: held in registers, not reloaded after every pixel
// write (a byte store may alias anything in the scene).
struct RowState {
    std::int32_t hiddenRun = 0;
    RandomGenerator random;
};

// The shared part of both pixel rules: after a step down (e > d) the next
// e - d + 1 written pixels get fresh random indexes, because the surface
// behind the step is hidden from one eye and has nothing to copy.
inline bool TakeHidden(RowState& scan, std::uint8_t& pixel, int d, int e) {
    if (d < e || scan.hiddenRun > 0) {
        --scan.hiddenRun;
        pixel = scan.random.NextIndex();
        if (e - d > scan.hiddenRun) {
            scan.hiddenRun = e - d;
        }
        return true;
    }
    return false;
}

inline void ForwardPixel(RowState& scan, std::uint8_t* row, const std::int8_t* depth, int x) {
    const int d = depth[x];
    if (!TakeHidden(scan, row[x], d, depth[x - 1])) {
        CopyWithin(row, x, x - kPatternPeriod + d);
    }
}

inline void BackwardPixel(RowState& scan, std::uint8_t* row, const std::int8_t* depth, int x) {
    const int d = depth[x];
    const int target = x - kPatternPeriod;
    if (!TakeHidden(scan, row[target], d, depth[x + 1])) {
        CopyWithin(row, target, x - d);
    }
}

// A stretch of constant depth with no hidden run pending copies every pixel
// from the one 80 - d columns away: a block copy, in blocks of at most that
// distance so that no block reads a byte it writes. The rule per pixel lives
// in ForwardPixel and BackwardPixel; these loops only hand them the pixels
// where it does more than copy (a step down, a hidden run, a source outside
// the row or not behind the pixel), and copy the rest as the rule would.

// Copies n bytes between blocks that do not overlap, 16 at a time: a few
// moves for the 48..83 bytes a painted depth gives, with no call.
inline void CopyBlock(std::uint8_t* to, const std::uint8_t* from, int n) {
    if (n >= 16) {
        for (int i = 0; i + 16 <= n; i += 16) {
            std::memcpy(to + i, from + i, 16);
        }
        std::memcpy(to + n - 16, from + n - 16, 16);
    } else {
        for (int i = 0; i < n; ++i) {
            to[i] = from[i];
        }
    }
}

// The end of the stretch from `from` on whose depths equal `value`, at most `limit`.
int SameDepthEnd(const std::int8_t* depth, int from, int limit, std::int8_t value) {
    const std::uint64_t pattern = 0x0101010101010101ULL * static_cast<std::uint8_t>(value);
    int x = from;
    for (std::uint64_t word = 0; x + 8 <= limit; x += 8) {
        std::memcpy(&word, depth + x, sizeof(word));
        if (word != pattern) {
            break;
        }
    }
    while (x < limit && depth[x] == value) {
        ++x;
    }
    return x;
}

// The start of the stretch ending at `from` whose depths equal `value`, at least `limit`.
int SameDepthStart(const std::int8_t* depth, int from, int limit, std::int8_t value) {
    const std::uint64_t pattern = 0x0101010101010101ULL * static_cast<std::uint8_t>(value);
    int x = from + 1;
    for (std::uint64_t word = 0; x - 8 >= limit; x -= 8) {
        std::memcpy(&word, depth + x - 8, sizeof(word));
        if (word != pattern) {
            break;
        }
    }
    while (x > limit && depth[x - 1] == value) {
        --x;
    }
    return x;
}

// Forward rule over columns from .. 639.
void ForwardRun(Scene& scene, std::uint8_t* row, const std::int8_t* depth, int from) {
    RowState scan{0, scene.random};
    int x = from;
    while (x < kScreenWidth) {
        const std::int8_t d = depth[x];
        const int distance = kPatternPeriod - d;
        if (scan.hiddenRun > 0 || d < depth[x - 1] || distance <= 0 || x < distance) {
            ForwardPixel(scan, row, depth, x);
            ++x;
            continue;
        }
        const int end = SameDepthEnd(depth, x + 1, kScreenWidth, d);
        for (; x < end; x += distance) {
            const int n = std::min(distance, end - x);
            CopyBlock(row + x, row + x - distance, n);
        }
        x = end;
    }
    scene.hiddenRun = scan.hiddenRun;
    scene.random = scan.random;
}

// Backward rule over depth columns from .. 80, writing pixels from - 80 .. 0.
void BackwardRun(Scene& scene, std::uint8_t* row, const std::int8_t* depth, int from) {
    RowState scan{0, scene.random};
    int x = from;
    while (x >= kPatternPeriod) {
        const std::int8_t d = depth[x];
        const int distance = kPatternPeriod - d;
        if (scan.hiddenRun > 0 || d < depth[x + 1] || distance <= 0 || x - d >= kScreenWidth) {
            BackwardPixel(scan, row, depth, x);
            --x;
            continue;
        }
        // The lowest source, start - d, lies right of the pixel start - 80 it
        // is copied to, so inside the row.
        const int start = SameDepthStart(depth, x - 1, kPatternPeriod, d);
        for (int top = x - kPatternPeriod; top >= start - kPatternPeriod; top -= distance) {
            const int n = std::min(distance, top - (start - kPatternPeriod) + 1);
            CopyBlock(row + top - n + 1, row + top - n + 1 + distance, n);
        }
        x = start - 1;
    }
    scene.hiddenRun = scan.hiddenRun;
    scene.random = scan.random;
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

void AddCells(std::int8_t* cells, int x, int y, int sign) {
    for (int r = std::max(0, -y); r < kBrushHeight && y + r < kScreenHeight; ++r) {
        std::int8_t* row = cells + static_cast<std::ptrdiff_t>(y + r) * kScreenWidth;
        for (int j = std::max(0, -x); j < kBrushWidth && x + j < kScreenWidth; ++j) {
            row[x + j] = Wrap(row[x + j] + sign * BrushCell(j, r));
        }
    }
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
    std::int8_t* depth = scene.depth.Row(y);
    std::uint8_t* row = picture.Row(y);
    // The rule at x reads depths x and x - 1 only, so updating the brush
    // row first reads the same depths as updating each cell just before.
    const DepthRule cellRule = rule;  // a copy: depth writes cannot change it
    for (int j = 0; j < kBrushWidth; ++j) {
        depth[a + j] = ApplyRule(cellRule, depth[a + j], BrushCell(j, r));
    }
    ForwardRun(scene, row, depth, a);
}

void BackwardScan(Scene& scene, Picture picture, int a, int b, int r, const DepthRule& rule) {
    const int y = b + r;
    // The brush lands on columns a + 1 .. a + 30 and the rule reads one
    // column further right, so a + 31 must stay inside the row.
    if (a < kMinBrushX || a + kBrushWidth + 1 >= kScreenWidth || !RowInside(y) ||
        !scene.depth.Allocated()) {
        return;
    }
    std::int8_t* depth = scene.depth.Row(y);
    std::uint8_t* row = picture.Row(y);
    // As in the forward scan, the rule at x reads depths x and x + 1 only.
    const DepthRule cellRule = rule;
    for (int j = kBrushWidth - 1; j >= 0; --j) {
        depth[a + 1 + j] = ApplyRule(cellRule, depth[a + 1 + j], BrushCell(j, r));
    }
    BackwardRun(scene, row, depth, a + kBrushWidth);
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
        const std::int8_t* depth = scene.depth.Row(y);
        std::uint8_t* row = picture.Row(y);
        ForwardRun(scene, row, depth, kPatternPeriod);
    }
}

void AddBrushCells(DepthMap& depth, int x, int y, int sign) {
    if (depth.Allocated()) {
        AddCells(depth.Data(), x, y, sign);
    }
}

int StampLeft(const BrushStamp& stamp) {
    return stamp.backward ? stamp.x + 1 : stamp.x;
}

void CopyPaint(const Scene& scene, std::vector<std::int8_t>& paint) {
    if (!scene.depth.Allocated()) {
        paint.clear();
        return;
    }
    paint.assign(scene.depth.Data(), scene.depth.Data() + DepthMap::kSize);
    if (scene.stamp.made) {
        AddCells(paint.data(), StampLeft(scene.stamp), scene.stamp.y, -1);
    }
}

void ChangeUnderStamp(Scene& scene, const std::function<void(DepthMap&)>& change) {
    if (!scene.depth.Allocated()) {
        return;
    }
    const BrushStamp& stamp = scene.stamp;
    if (stamp.made) {
        AddBrushCells(scene.depth, StampLeft(stamp), stamp.y, -1);
    }
    change(scene.depth);
    if (stamp.made) {
        AddBrushCells(scene.depth, StampLeft(stamp), stamp.y, 1);
    }
}

}  // namespace velmora::stereo
