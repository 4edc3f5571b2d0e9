#pragma once

// How SDL's input words become the window-system messages' words. Pure
// functions, so the mapping can be checked without a display.

#include <cstdint>

#include "platform/window/queued.h"

namespace velmora::platform {

// The key-state word of a mouse message: MK_LBUTTON, MK_RBUTTON and
// MK_MBUTTON from SDL's button mask, MK_SHIFT and MK_CONTROL from its
// modifier state.
WPARAM KeyStateWord(std::uint32_t sdlButtons, std::uint16_t sdlModifiers);

// (y << 16) | x of a position in the 640x480 picture. Positions beside the
// picture (the letterbox bars) are clamped onto its edge first.
LPARAM PackPointer(int x, int y);

// The virtual-key code of a pressed key, or 0 for a key the program is
// never told about. Letters give their upper-case code whatever Shift or
// Caps Lock say; digits come from the top row, as Windows numbers them.
WPARAM VirtualKeyFor(std::int32_t sdlKeycode, int sdlScancode);

}  // namespace velmora::platform
