#include "platform/web/input.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace velmora::platform::web {

namespace {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

struct Named {
    std::string_view code;
    WPARAM key;
};
constexpr std::array<Named, 6> kNamedKeys = {{
    {"Escape", VK_ESCAPE},
    {"Space", VK_SPACE},
    {"ArrowLeft", VK_LEFT},
    {"ArrowUp", VK_UP},
    {"ArrowRight", VK_RIGHT},
    {"ArrowDown", VK_DOWN},
}};

// The pixel under a CSS position along one side, clamped into the picture.
LPARAM Pixel(double at, double shown, int pixels) {
    if (!(shown > 0) || !std::isfinite(at)) {
        return 0;
    }
    const double pixel = std::floor(at * pixels / shown);
    return static_cast<LPARAM>(std::clamp(pixel, 0.0, static_cast<double>(pixels - 1)));
}

}  // namespace

WPARAM VirtualKeyForCode(std::string_view code) {
    // Letters and the top row's digits by their position, whatever the layout.
    if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z') {
        return static_cast<WPARAM>(code[3]);
    }
    if (code.size() == 6 && code.substr(0, 5) == "Digit" && code[5] >= '0' && code[5] <= '9') {
        return static_cast<WPARAM>(code[5]);
    }
    if (code.size() >= 2 && code.size() <= 3 && code[0] == 'F') {
        int number = 0;
        for (const char c : code.substr(1)) {
            if (c < '0' || c > '9') {
                return 0;
            }
            number = number * 10 + (c - '0');
        }
        return number >= 1 && number <= 12 ? VK_F1 + static_cast<WPARAM>(number - 1) : 0;
    }
    for (const Named& named : kNamedKeys) {
        if (named.code == code) {
            return named.key;
        }
    }
    return 0;
}

LPARAM PicturePoint(double x, double y, double width, double height) {
    return Pixel(y, height, kPictureHeight) << 16 | Pixel(x, width, kPictureWidth);
}

WPARAM MouseKeyState(int buttons, bool shift, bool control) {
    WPARAM word = 0;
    word |= (buttons & 1) != 0 ? MK_LBUTTON : 0;
    word |= (buttons & 2) != 0 ? MK_RBUTTON : 0;
    word |= (buttons & 4) != 0 ? MK_MBUTTON : 0;
    word |= shift ? MK_SHIFT : 0;
    word |= control ? MK_CONTROL : 0;
    return word;
}

}  // namespace velmora::platform::web
