#include "display/flicker.h"

#include <utility>

namespace velmora::display {

using namespace platform;

namespace {

constexpr const char* kBitmapName = "ALL";

void Attach(FlickerPalettes& flicker, IDirectDrawSurface* primary, int slot) {
    IDirectDrawPalette* palette = flicker.slots[static_cast<std::size_t>(slot)];
    if (primary != nullptr && palette != nullptr && primary->SetPalette(palette) == DD_OK) {
        flicker.onScreen = slot;
    }
}

}  // namespace

void CreateFlickerPalettes(FlickerPalettes& flicker, Kernel& kernel, IDirectDraw* directDraw,
                           IDirectDrawSurface* primary, stereo::RandomGenerator& random,
                           std::uint32_t calendarSeconds) {
    flicker.slots[0] = LoadPaletteFromBitmap(kernel, directDraw, kBitmapName);
    Attach(flicker, primary, 0);

    // Without a readable base palette the shuffles start from the same
    // entries read straight from the bitmap.
    if (flicker.slots[0] == nullptr ||
        flicker.slots[0]->GetEntries(0, 0, 256, flicker.working.data()) != DD_OK) {
        flicker.working = ReadPaletteTable(kernel, kBitmapName);
    }

    random.Seed(calendarSeconds);

    for (int k = kFlickerSlots - 1; k >= 1; --k) {
        IDirectDrawPalette* palette = LoadPaletteFromBitmap(kernel, directDraw, kBitmapName);
        flicker.slots[static_cast<std::size_t>(k)] = palette;
        Attach(flicker, primary, k);
        // The shuffle runs even for a missing slot, so the random sequence
        // (and with it the pattern tile) does not depend on it.
        for (int n = 255; n >= 1; --n) {
            const int j = random.Next() * n / stereo::RandomGenerator::kMax;
            std::swap(flicker.working[static_cast<std::size_t>(n)],
                      flicker.working[static_cast<std::size_t>(j)]);
        }
        if (palette != nullptr) {
            palette->SetEntries(0, 0, 256, flicker.working.data());
        }
    }
}

void AdvanceFlicker(FlickerPalettes& flicker, IDirectDrawSurface* primary,
                    std::int32_t flickerMode) {
    if (flicker.cursor < 0 || flicker.cursor >= kFlickerSlots) {
        flicker.cursor = 0;
    }
    if (flickerMode != 0) {
        Attach(flicker, primary, flicker.cursor);
    }
    flicker.cursor = flicker.cursor + 1 >= kFlickerSlots ? 0 : flicker.cursor + 1;
}

void ReattachPalette(const FlickerPalettes& flicker, IDirectDrawSurface* primary) {
    if (primary == nullptr || flicker.onScreen < 0 || flicker.onScreen >= kFlickerSlots) {
        return;
    }
    IDirectDrawPalette* palette = flicker.slots[static_cast<std::size_t>(flicker.onScreen)];
    if (palette != nullptr) {
        primary->SetPalette(palette);
    }
}

int FlickerSlotOf(const FlickerPalettes& flicker, const IDirectDrawPalette* palette) {
    if (palette == nullptr) {
        return -1;
    }
    for (int i = 0; i < kFlickerSlots; ++i) {
        if (flicker.slots[static_cast<std::size_t>(i)] == palette) {
            return i;
        }
    }
    return -1;
}

}  // namespace velmora::display
