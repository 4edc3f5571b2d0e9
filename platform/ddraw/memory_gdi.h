#pragma once

// GDI in memory: device-independent bitmaps held in tables, memory device
// contexts, and a stretching copy into an in-memory surface's context.
// Handles index tables here; a stale or unknown handle makes the call fail.

#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

#include "platform/ddraw/gdi.h"
#include "platform/ddraw/memory.h"
#include "platform/types.h"

namespace velmora::platform {

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

class MemoryGdi : public Gdi {
  public:
    explicit MemoryGdi(DisplayDevice& device) : device_(device) {}

    HBITMAP CreateDibSection(DibImage image);
    int GetObjectA(HGDIOBJ object, int size, void* record) const override;
    bool DeleteObject(HGDIOBJ object) override;
    HDC CreateCompatibleDC(HDC reference) override;
    HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) override;
    bool StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                    int sourceY, int sourceWidth, int sourceHeight, DWORD rop) override;
    bool DeleteDC(HDC dc) override;

    // A surface's device context (GetDC/ReleaseDC of the surface).
    HDC CreateSurfaceDC(MemorySurface* surface);
    void DeleteSurfaceDC(HDC dc);

    std::size_t LiveBitmaps() const { return bitmaps_.size(); }
    std::size_t LiveDCs() const { return dcs_.size(); }
    const DibImage* Bitmap(HBITMAP bitmap) const;

  private:
    struct DeviceContext {
        MemorySurface* surface = nullptr;  // a surface's context
        HBITMAP selected = 0;              // a memory context's bitmap
    };
    // The palette index that shows a colour best on the current screen.
    static std::uint8_t NearestIndex(std::uint32_t rgb, const MemoryPalette* screen);

    DisplayDevice& device_;
    HDC nextHandle_ = 1;
    std::map<HBITMAP, DibImage> bitmaps_;
    std::map<HDC, DeviceContext> dcs_;
};

}  // namespace velmora::platform
