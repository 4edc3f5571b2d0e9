#pragma once

// Our DirectDraw-style display layer: surfaces and palettes in memory, with
// the observable effects of the real interfaces (a pitch, a front and a back
// buffer exchanged by the flip, a 256-colour palette shown with the front
// buffer). Objects are reference counted; releasing the DirectDraw object
// ends every surface and palette made from it. A call on an ended object is
// refused with DDERR_INVALIDOBJECT, never undefined behaviour.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/faults.h"
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
// and every later field its offset with a 64-bit address.
struct DDSURFACEDESC {
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    DWORD dwHeight = 0;
    DWORD dwWidth = 0;
    LONG lPitch = 0;
    DWORD dwBackBufferCount = 0;
    DWORD dwRefreshRate = 0;
    DWORD dwAlphaBitDepth = 0;
    void* lpSurface = nullptr;
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

class DisplayDevice;
class DirectDraw;
class DirectDrawSurface;
class Gdi;

// Reference counting shared by the layer's objects: the last Release ends the
// object. An ended object stays addressable but refuses every call.
class CountedObject {
  public:
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;

    ULONG AddRef() {
        if (alive_) {
            ++references_;
        }
        return references_;
    }
    ULONG Release() {
        if (!alive_ || references_ == 0) {
            return 0;
        }
        if (--references_ == 0) {
            End();
        }
        return references_;
    }
    bool Alive() const { return alive_; }
    ULONG References() const { return references_; }

  protected:
    CountedObject() = default;
    virtual ~CountedObject() = default;
    virtual void End() = 0;
    // Marks the object ended; false when it already was.
    bool MarkEnded() {
        if (!alive_) {
            return false;
        }
        alive_ = false;
        references_ = 0;
        return true;
    }

  private:
    bool alive_ = true;
    ULONG references_ = 1;
};

class DirectDrawPalette : public CountedObject {
  public:
    HRESULT GetEntries(DWORD flags, DWORD first, DWORD count, PALETTEENTRY* entries) const;
    HRESULT SetEntries(DWORD flags, DWORD first, DWORD count, const PALETTEENTRY* entries);

    const std::array<PALETTEENTRY, 256>& Entries() const { return entries_; }

  private:
    friend class DisplayDevice;
    friend class DirectDraw;
    DirectDrawPalette(DisplayDevice& device, DirectDraw* owner) : device_(device), owner_(owner) {}
    void End() override;

    DisplayDevice& device_;
    DirectDraw* owner_;
    std::array<PALETTEENTRY, 256> entries_{};
};

class DirectDrawSurface : public CountedObject {
  public:
    HRESULT GetAttachedSurface(const DDSCAPS* caps, DirectDrawSurface** attached);
    HRESULT Lock(const RECT* rect, DDSURFACEDESC* description, DWORD flags, void* event);
    HRESULT Unlock(void* pixels);
    HRESULT BltFast(DWORD x, DWORD y, DirectDrawSurface* source, const RECT* sourceRect,
                    DWORD transfer);
    HRESULT Flip(DirectDrawSurface* override, DWORD flags);
    HRESULT SetPalette(DirectDrawPalette* palette);
    HRESULT Restore();
    HRESULT GetSurfaceDesc(DDSURFACEDESC* description) const;
    HRESULT GetDC(HDC* dc);
    HRESULT ReleaseDC(HDC dc);

    // What the in-memory layer can show about a surface, for presenters,
    // state dumps and tests.
    bool Locked() const { return locked_; }
    bool IsPrimary() const { return primary_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    std::ptrdiff_t Pitch() const;
    const std::uint8_t* Pixels() const;
    std::uint8_t* MutablePixels();  // for the device-context drawing of Gdi
    DirectDrawPalette* AttachedPalette() const { return palette_; }
    DisplayDevice& Device() const { return device_; }

  private:
    friend class DisplayDevice;
    friend class DirectDraw;
    struct Buffer {
        std::ptrdiff_t pitch = 0;
        std::vector<std::uint8_t> bytes;
    };
    DirectDrawSurface(DisplayDevice& device, DirectDraw* owner) : device_(device), owner_(owner) {}
    void End() override;
    bool Busy() const { return locked_ || dc_ != 0; }
    void NoteChange() const;

    DisplayDevice& device_;
    DirectDraw* owner_;
    int width_ = 0;
    int height_ = 0;
    DWORD caps_ = 0;
    bool primary_ = false;
    std::unique_ptr<Buffer> buffer_;
    DirectDrawSurface* backBuffer_ = nullptr;    // on a flipping primary
    DirectDrawSurface* frontSurface_ = nullptr;  // on its back buffer
    DirectDrawPalette* palette_ = nullptr;
    bool locked_ = false;
    HDC dc_ = 0;
};

class DirectDraw : public CountedObject {
  public:
    HRESULT SetCooperativeLevel(HWND window, DWORD flags);
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel);
    HRESULT CreateSurface(DDSURFACEDESC* description, DirectDrawSurface** surface, void* outer);
    HRESULT CreatePalette(DWORD flags, const PALETTEENTRY* entries, DirectDrawPalette** palette,
                          void* outer);

    DisplayDevice& Device() const { return device_; }

  private:
    friend class DisplayDevice;
    explicit DirectDraw(DisplayDevice& device) : device_(device) {}
    void End() override;

    DisplayDevice& device_;
    bool exclusive_ = false;
};

// The display hardware and driver behind the layer: owns every object made
// through it, the setting of the row pitch, and the view of what is on screen.
class DisplayDevice {
  public:
    static constexpr int kScreenWidth = 640;
    static constexpr int kScreenHeight = 480;

    // `pitch` is the row pitch of a 640-pixel-wide surface; every surface
    // gets the same number of padding bytes per row (at least 640).
    explicit DisplayDevice(FaultInjector& faults, std::ptrdiff_t pitch = kScreenWidth);
    ~DisplayDevice();
    DisplayDevice(const DisplayDevice&) = delete;
    DisplayDevice& operator=(const DisplayDevice&) = delete;

    HRESULT DirectDrawCreate(const void* driver, DirectDraw** directDraw, void* outer);

    FaultInjector& Faults() { return faults_; }
    Gdi& Graphics() { return *gdi_; }
    std::ptrdiff_t PitchFor(int width) const { return width + padding_; }

    // The visible screen: the live primary surface (front buffer) or null.
    const DirectDrawSurface* Primary() const;
    // The palette that colours the screen: the primary's attached palette.
    const DirectDrawPalette* ScreenPalette() const;
    // Rises with every change of what the screen shows (pixels or colours).
    std::uint64_t ScreenGeneration() const { return generation_; }
    bool PaletteIsOnScreen(const DirectDrawPalette* palette) const;

    std::size_t LiveDirectDraws() const;
    std::size_t LiveSurfaces() const;
    std::size_t LivePalettes() const;
    DWORD ModeWidth() const { return modeWidth_; }
    DWORD ModeHeight() const { return modeHeight_; }
    DWORD ModeBits() const { return modeBits_; }
    const DirectDraw* ExclusiveOwner() const { return exclusiveOwner_; }

  private:
    friend class DirectDraw;
    friend class DirectDrawSurface;
    friend class DirectDrawPalette;
    void NoteScreenChange() { ++generation_; }

    FaultInjector& faults_;
    std::ptrdiff_t padding_;
    std::unique_ptr<Gdi> gdi_;
    std::vector<std::unique_ptr<DirectDraw>> directDraws_;
    std::vector<std::unique_ptr<DirectDrawSurface>> surfaces_;
    std::vector<std::unique_ptr<DirectDrawPalette>> palettes_;
    DirectDraw* exclusiveOwner_ = nullptr;
    DWORD modeWidth_ = kScreenWidth;
    DWORD modeHeight_ = kScreenHeight;
    DWORD modeBits_ = 8;
    std::uint64_t generation_ = 0;
};

}  // namespace velmora::platform
