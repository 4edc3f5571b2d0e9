// The bitmap decoder of the desktop build: SDL2's BMP reader, its surface
// turned into a device-independent bitmap.

#include <SDL2/SDL.h>

#include <cstring>

#include "platform/window/image.h"

namespace velmora::platform {

namespace {

DibImage FromSurface(SDL_Surface* surface) {
    DibImage image;
    image.width = surface->w;
    image.height = surface->h;
    const SDL_PixelFormat* format = surface->format;
    const auto* rows = static_cast<const std::uint8_t*>(surface->pixels);
    if (format->palette != nullptr && format->BitsPerPixel <= 8) {
        image.indexed = true;
        image.bitsPerPixel = format->BitsPerPixel;
        const int bits = format->BitsPerPixel;
        const bool lsb = SDL_PIXELORDER(format->format) == SDL_BITMAPORDER_4321;
        image.indexes.resize(static_cast<std::size_t>(image.width) * image.height);
        for (int y = 0; y < image.height; ++y) {
            const std::uint8_t* row = rows + static_cast<std::ptrdiff_t>(y) * surface->pitch;
            for (int x = 0; x < image.width; ++x) {
                std::uint8_t value = 0;
                if (bits == 8) {
                    value = row[x];
                } else {
                    const int perByte = 8 / bits;
                    const int shift =
                        lsb ? (x % perByte) * bits : (perByte - 1 - x % perByte) * bits;
                    value =
                        static_cast<std::uint8_t>((row[x / perByte] >> shift) & ((1 << bits) - 1));
                }
                image.indexes[static_cast<std::size_t>(y) * image.width + x] = value;
            }
        }
        for (int i = 0; i < format->palette->ncolors && i < 256; ++i) {
            const SDL_Color& c = format->palette->colors[i];
            image.colours.push_back(PALETTEENTRY{c.r, c.g, c.b, 0});
        }
        return image;
    }
    image.bitsPerPixel = format->BitsPerPixel;
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB888, 0);
    if (converted == nullptr) {
        return DibImage{};
    }
    image.rgb.resize(static_cast<std::size_t>(image.width) * image.height);
    const auto* crows = static_cast<const std::uint8_t*>(converted->pixels);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(image.rgb.data() + static_cast<std::size_t>(y) * image.width,
                    crows + static_cast<std::ptrdiff_t>(y) * converted->pitch,
                    static_cast<std::size_t>(image.width) * 4);
        for (int x = 0; x < image.width; ++x) {
            image.rgb[static_cast<std::size_t>(y) * image.width + x] &= 0xFFFFFFU;
        }
    }
    SDL_FreeSurface(converted);
    return image;
}

}  // namespace

std::optional<DibImage> DecodeCheckedBitmap(std::span<const std::uint8_t> file,
                                            std::string& error) {
    SDL_RWops* stream = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (stream == nullptr) {
        error = SDL_GetError();
        return std::nullopt;
    }
    SDL_Surface* surface = SDL_LoadBMP_RW(stream, 1);
    if (surface == nullptr) {
        error = std::string("cannot decode bitmap: ") + SDL_GetError();
        return std::nullopt;
    }
    DibImage image = FromSurface(surface);
    SDL_FreeSurface(surface);
    if (image.width == 0) {
        error = "cannot convert bitmap";
        return std::nullopt;
    }
    return image;
}

}  // namespace velmora::platform
