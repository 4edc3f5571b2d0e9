#pragma once

// The browser's input in the window-system layer's terms: keys by the
// physical key's code (KeyboardEvent.code), pointer positions through the
// canvas's displayed size, buttons as the mouse message's key-state word.

#include <string_view>

#include "platform/window/window_system.h"

namespace velmora::platform::web {

// The virtual-key code of a KeyboardEvent.code ("KeyZ", "ArrowUp", "F1",
// "Escape", "Space", "Digit1"), or 0 for a key the program has no use for.
WPARAM VirtualKeyForCode(std::string_view code);

// A position over the canvas (CSS pixels from its top-left corner, the
// canvas shown `width` x `height` CSS pixels) as the picture pixel under it,
// packed x low, y high; outside the picture it is clamped to the edge.
LPARAM PicturePoint(double x, double y, double width, double height);

// PointerEvent.buttons (1 left, 2 right, 4 middle) and the modifiers as the
// mouse message's key-state word.
WPARAM MouseKeyState(int buttons, bool shift, bool control);

}  // namespace velmora::platform::web
