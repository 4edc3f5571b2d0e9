#pragma once

#include <array>
#include <cstdint>

#include "display/bitmap.h"
#include "platform/ddraw/ddraw.h"
#include "platform/window/kernel.h"
#include "stereo/random.h"

namespace velmora::display {

constexpr int kFlickerSlots = 32;

// Slot 0 holds the base palette; slots 1..31 successive random permutations
// of it. A slot whose palette could not be made stays empty and is skipped.
struct FlickerPalettes {
    std::array<platform::IDirectDrawPalette*, kFlickerSlots> slots{};
    PaletteTable working{};
    std::int32_t cursor = 0;
    // The slot last attached to the primary, or -1: what a restored screen
    // must show again.
    std::int32_t onScreen = -1;
};

// Builds all 32 palettes from the bitmap ALL, attaching each to the primary
// as it is made (so slot 1 ends on screen), and seeds the random generator
// with `calendarSeconds` before the shuffles.
void CreateFlickerPalettes(FlickerPalettes& flicker, platform::Kernel& kernel,
                           platform::IDirectDraw* directDraw, platform::IDirectDrawSurface* primary,
                           stereo::RandomGenerator& random, std::uint32_t calendarSeconds);

// One flicker step: in flicker mode, show the slot under the cursor; the
// cursor moves on either way.
void AdvanceFlicker(FlickerPalettes& flicker, platform::IDirectDrawSurface* primary,
                    std::int32_t flickerMode);

// Attaches the palette last shown again, after the primary was restored.
void ReattachPalette(const FlickerPalettes& flicker, platform::IDirectDrawSurface* primary);

// The slot of a palette, or -1 when it is none of them.
int FlickerSlotOf(const FlickerPalettes& flicker, const platform::IDirectDrawPalette* palette);

}  // namespace velmora::display
