#pragma once

// The few GDI operations that bitmap loading needs: device-independent
// bitmaps, memory device contexts, selection, a stretching copy into a
// surface's device context, and deletion. Handles index tables here; a stale
// or unknown handle makes the call fail.

#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/types.h"

namespace velmora::platform {

using WORD = std::uint16_t;

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr int OBJ_BITMAP = 7;

// The 24-byte record GetObjectA fills. Our bitmaps' bits are not published.
struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 0;
    WORD bmBitsPixel = 0;
    std::uint32_t bmBits = 0;
};
static_assert(sizeof(BITMAP) == 24);

// A decoded bitmap, rows top-down. Palette-based bitmaps keep their indexes
// and colour table; others are 0xRRGGBB per pixel.
struct DibImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    bool indexed = false;
    std::vector<std::uint8_t> indexes;
    std::vector<PALETTEENTRY> colours;
    std::vector<std::uint32_t> rgb;
};

class Gdi {
  public:
    explicit Gdi(DisplayDevice& device) : device_(device) {}

    HBITMAP CreateDibSection(DibImage image);
    int GetObjectA(HGDIOBJ object, int size, void* record) const;
    bool DeleteObject(HGDIOBJ object);
    HDC CreateCompatibleDC(HDC reference);
    HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
    bool StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                    int sourceY, int sourceWidth, int sourceHeight, DWORD rop);
    bool DeleteDC(HDC dc);

    // A surface's device context (GetDC/ReleaseDC of the surface).
    HDC CreateSurfaceDC(DirectDrawSurface* surface);
    void DeleteSurfaceDC(HDC dc);

    std::size_t LiveBitmaps() const { return bitmaps_.size(); }
    std::size_t LiveDCs() const { return dcs_.size(); }
    const DibImage* Bitmap(HBITMAP bitmap) const;

  private:
    struct DeviceContext {
        DirectDrawSurface* surface = nullptr;  // a surface's context
        HBITMAP selected = 0;                  // a memory context's bitmap
    };
    // The palette index that shows a colour best on the current screen.
    static std::uint8_t NearestIndex(std::uint32_t rgb, const DirectDrawPalette* screen);

    DisplayDevice& device_;
    std::uint32_t nextHandle_ = 1;
    std::map<HBITMAP, DibImage> bitmaps_;
    std::map<HDC, DeviceContext> dcs_;
};

}  // namespace velmora::platform
