#pragma once

// The few GDI operations that bitmap loading needs: the bitmap record,
// memory device contexts, selection, a stretching copy into a surface's
// device context, and deletion. In memory (memory_gdi.h) or the real GDI.

#include <cstdint>

#include "platform/types.h"

namespace velmora::platform {

using WORD = std::uint16_t;

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr int OBJ_BITMAP = 7;

// The bitmap record GetObjectA fills; only the size fields are read.
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

class Gdi {
  public:
    virtual ~Gdi() = default;
    virtual int GetObjectA(HGDIOBJ object, int size, void* record) const = 0;
    virtual bool DeleteObject(HGDIOBJ object) = 0;
    virtual HDC CreateCompatibleDC(HDC reference) = 0;
    virtual HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) = 0;
    virtual bool StretchBlt(HDC target, int x, int y, int width, int height, HDC source,
                            int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                            DWORD rop) = 0;
    virtual bool DeleteDC(HDC dc) = 0;
};

}  // namespace velmora::platform
