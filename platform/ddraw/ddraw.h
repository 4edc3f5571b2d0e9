#pragma once

// Our DirectDraw-style display layer: the records and constants the display
// code speaks in, and the interfaces of the DirectDraw object, its surfaces
// and palettes. Two implementations sit behind them: surfaces in memory
// (memory.h), and the real DirectDraw on Windows (platform/win32). The
// display code only ever calls through these interfaces.

#include <cstddef>
#include <cstdint>

#include "platform/types.h"

namespace velmora::platform {

using ULONG = std::uint32_t;

constexpr DWORD DDSCL_FULLSCREEN = 0x01;
constexpr DWORD DDSCL_EXCLUSIVE = 0x10;

constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_PITCH = 0x8;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
constexpr DWORD DDSD_LPSURFACE = 0x800;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000;

constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS_FLIP = 0x10;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x20;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr DWORD DDSCAPS_PALETTE = 0x100;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;

constexpr DWORD DDPF_PALETTEINDEXED8 = 0x20;
constexpr DWORD DDPF_RGB = 0x40;

constexpr DWORD DDLOCK_WAIT = 0x1;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0;
constexpr DWORD DDPCAPS_8BIT = 0x4;
constexpr DWORD DDPCAPS_ALLOW256 = 0x40;

#pragma pack(push, 4)
struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue = 0;
    DWORD dwColorSpaceHighValue = 0;
};

struct DDPIXELFORMAT {
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    DWORD dwFourCC = 0;
    DWORD dwRGBBitCount = 0;
    DWORD dwRBitMask = 0;
    DWORD dwGBitMask = 0;
    DWORD dwBBitMask = 0;
    DWORD dwRGBAlphaBitMask = 0;
};

struct DDSCAPS {
    DWORD dwCaps = 0;
};

// The 108-byte surface description. The pixel address takes the place of
// the reserved word and the 32-bit pointer, so the record keeps its size
// and every later field its offset with a 64-bit address; where addresses
// are 32 bits (WebAssembly) it fills the first half of that slot.
struct DDSURFACEDESC {
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    DWORD dwHeight = 0;
    DWORD dwWidth = 0;
    LONG lPitch = 0;
    DWORD dwBackBufferCount = 0;
    DWORD dwRefreshRate = 0;
    DWORD dwAlphaBitDepth = 0;
    union {
        void* lpSurface = nullptr;
        std::uint64_t surfaceSlot_;
    };
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};
#pragma pack(pop)
static_assert(sizeof(DDSURFACEDESC) == 108);
static_assert(offsetof(DDSURFACEDESC, ddsCaps) == 104);

class Gdi;

class IDirectDrawPalette {
  public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT GetEntries(DWORD flags, DWORD first, DWORD count,
                               PALETTEENTRY* entries) const = 0;
    virtual HRESULT SetEntries(DWORD flags, DWORD first, DWORD count,
                               const PALETTEENTRY* entries) = 0;

  protected:
    IDirectDrawPalette() = default;
    virtual ~IDirectDrawPalette() = default;
};

class IDirectDrawSurface {
  public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** attached) = 0;
    virtual HRESULT Lock(const RECT* rect, DDSURFACEDESC* description, DWORD flags,
                         void* event) = 0;
    virtual HRESULT Unlock(void* pixels) = 0;
    virtual HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, const RECT* sourceRect,
                            DWORD transfer) = 0;
    virtual HRESULT Flip(IDirectDrawSurface* override, DWORD flags) = 0;
    virtual HRESULT SetPalette(IDirectDrawPalette* palette) = 0;
    virtual HRESULT Restore() = 0;
    // DD_OK while the surface's memory is there, DDERR_SURFACELOST once it
    // has been taken away (another program took the screen).
    virtual HRESULT IsLost() = 0;
    virtual HRESULT GetSurfaceDesc(DDSURFACEDESC* description) const = 0;
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    // The GDI whose contexts GetDC hands out.
    virtual Gdi& Graphics() = 0;

  protected:
    IDirectDrawSurface() = default;
    virtual ~IDirectDrawSurface() = default;
};

class IDirectDraw {
  public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) = 0;
    virtual HRESULT CreateSurface(DDSURFACEDESC* description, IDirectDrawSurface** surface,
                                  void* outer) = 0;
    virtual HRESULT CreatePalette(DWORD flags, const PALETTEENTRY* entries,
                                  IDirectDrawPalette** palette, void* outer) = 0;
    // The GDI that draws bitmaps into this object's surfaces.
    virtual Gdi& Graphics() = 0;

  protected:
    IDirectDraw() = default;
    virtual ~IDirectDraw() = default;
};

// The display driver: where DirectDraw objects come from.
class DisplayDriver {
  public:
    virtual ~DisplayDriver() = default;
    virtual HRESULT DirectDrawCreate(const void* driver, IDirectDraw** directDraw, void* outer) = 0;
};

}  // namespace velmora::platform
