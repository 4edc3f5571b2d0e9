#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/ddraw/ddraw.h"
#include "platform/window/kernel.h"

namespace velmora::display {

using platform::PALETTEENTRY;
using PaletteTable = std::array<PALETTEENTRY, 256>;

// The 3-3-2 table: red in bits 7..5, green in 4..2, blue in 1..0.
PaletteTable DefaultPaletteTable();

// The entry table a bitmap resource gives (its bytes start at the info
// header): its colour records laid over the default table.
PaletteTable PaletteFromResourceBytes(std::span<const std::uint8_t> resource);

// The entry table a bitmap file gives, from the bytes at its start (up to
// 14 + 40 + 1024 of them; a shorter file gives fewer).
PaletteTable PaletteFromFileBytes(std::span<const std::uint8_t> fileStart);

// The entry table for a bitmap name: the program's resource of that name,
// else a file of that name, else the default table. Null name: default.
PaletteTable ReadPaletteTable(platform::Kernel& kernel, const char* name);

// A new 256-entry palette from the bitmap's colours, or null.
platform::IDirectDrawPalette* LoadPaletteFromBitmap(platform::Kernel& kernel,
                                                    platform::IDirectDraw* directDraw,
                                                    const char* name);

// Draws the bitmap's rectangle (x, y, width, height; 0 = the bitmap's own)
// stretched over the whole surface. DD_OK, E_FAIL for a missing argument,
// or the failure code of the surface's GetDC.
platform::HRESULT CopyBitmapToSurface(platform::Kernel& kernel,
                                      platform::IDirectDrawSurface* surface,
                                      platform::HBITMAP bitmap, std::int32_t x, std::int32_t y,
                                      std::int32_t width, std::int32_t height);

// A new off-screen surface holding the bitmap (resource first, then file),
// at its own size or at width x height when those are non-zero; or null.
platform::IDirectDrawSurface* LoadBitmapSurface(platform::Kernel& kernel,
                                                platform::IDirectDraw* directDraw, const char* name,
                                                std::int32_t width, std::int32_t height);

}  // namespace velmora::display
