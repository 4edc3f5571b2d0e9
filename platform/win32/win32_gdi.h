#pragma once

// The GDI operations of bitmap loading on the real GDI. Handles are the
// system's own, carried in our pointer-sized handle types.

#include "platform/ddraw/gdi.h"

namespace velmora::platform::win32 {

class Win32Gdi : public Gdi {
  public:
    // For a bitmap, fills our 24-byte BITMAP record (the system's is larger
    // on 64-bit); any other object's record is the system's own.
    int GetObjectA(HGDIOBJ object, int size, void* record) const override;
    bool DeleteObject(HGDIOBJ object) override;
    HDC CreateCompatibleDC(HDC reference) override;
    HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) override;
    bool StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                    int sourceY, int sourceWidth, int sourceHeight, DWORD rop) override;
    bool DeleteDC(HDC dc) override;
};

}  // namespace velmora::platform::win32
