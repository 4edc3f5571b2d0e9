#include "platform/sdl/input.h"

#include <SDL.h>

#include <algorithm>

namespace velmora::platform {

namespace {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
constexpr WPARAM kVirtualKeyA = 0x41;
constexpr WPARAM kVirtualKey0 = 0x30;

}  // namespace

WPARAM KeyStateWord(std::uint32_t sdlButtons, std::uint16_t sdlModifiers) {
    WPARAM word = 0;
    if ((sdlButtons & SDL_BUTTON_LMASK) != 0) {
        word |= MK_LBUTTON;
    }
    if ((sdlButtons & SDL_BUTTON_RMASK) != 0) {
        word |= MK_RBUTTON;
    }
    if ((sdlButtons & SDL_BUTTON_MMASK) != 0) {
        word |= MK_MBUTTON;
    }
    if ((sdlModifiers & KMOD_SHIFT) != 0) {
        word |= MK_SHIFT;
    }
    if ((sdlModifiers & KMOD_CTRL) != 0) {
        word |= MK_CONTROL;
    }
    return word;
}

LPARAM PackPointer(int x, int y) {
    const auto column = static_cast<LPARAM>(std::clamp(x, 0, kPictureWidth - 1));
    const auto row = static_cast<LPARAM>(std::clamp(y, 0, kPictureHeight - 1));
    return row << 16 | column;
}

WPARAM VirtualKeyFor(std::int32_t sdlKeycode, int sdlScancode) {
    // SDL names a letter key by its lower-case character, shifted or not.
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) {
        return kVirtualKeyA + static_cast<WPARAM>(sdlKeycode - SDLK_a);
    }
    // The top row is 1..9 then 0, on every layout.
    if (sdlScancode >= SDL_SCANCODE_1 && sdlScancode <= SDL_SCANCODE_9) {
        return kVirtualKey0 + 1 + static_cast<WPARAM>(sdlScancode - SDL_SCANCODE_1);
    }
    if (sdlScancode == SDL_SCANCODE_0) {
        return kVirtualKey0;
    }
    if (sdlKeycode >= SDLK_F1 && sdlKeycode <= SDLK_F12) {
        return VK_F1 + static_cast<WPARAM>(sdlKeycode - SDLK_F1);
    }
    switch (sdlKeycode) {
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_DOWN:
            return VK_DOWN;
        default:
            return 0;
    }
}

}  // namespace velmora::platform
