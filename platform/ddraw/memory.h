#pragma once

// The in-memory implementation of our DirectDraw-style layer, with the
// observable effects of the real interfaces (a pitch, a front and a back
// buffer exchanged by the flip, a 256-colour palette shown with the front
// buffer). Objects are reference counted; releasing the DirectDraw object
// ends every surface and palette made from it. A call on an ended object is
// refused with DDERR_INVALIDOBJECT, never undefined behaviour.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ddraw/counted.h"
#include "platform/ddraw/ddraw.h"
#include "platform/faults.h"
#include "platform/types.h"

namespace velmora::platform {

class DisplayDevice;
class MemoryDirectDraw;
class MemorySurface;
class MemoryGdi;

class MemoryPalette : public Counted<IDirectDrawPalette> {
  public:
    HRESULT GetEntries(DWORD flags, DWORD first, DWORD count, PALETTEENTRY* entries) const override;
    HRESULT SetEntries(DWORD flags, DWORD first, DWORD count, const PALETTEENTRY* entries) override;

    const std::array<PALETTEENTRY, 256>& Entries() const { return entries_; }
    const DisplayDevice& Device() const { return device_; }

  private:
    friend class DisplayDevice;
    friend class MemoryDirectDraw;
    MemoryPalette(DisplayDevice& device, MemoryDirectDraw* owner)
        : device_(device), owner_(owner) {}
    void End() override;

    DisplayDevice& device_;
    MemoryDirectDraw* owner_;
    std::array<PALETTEENTRY, 256> entries_{};
};

class MemorySurface : public Counted<IDirectDrawSurface> {
  public:
    HRESULT GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** attached) override;
    HRESULT Lock(const RECT* rect, DDSURFACEDESC* description, DWORD flags, void* event) override;
    HRESULT Unlock(void* pixels) override;
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, const RECT* sourceRect,
                    DWORD transfer) override;
    HRESULT Flip(IDirectDrawSurface* override, DWORD flags) override;
    HRESULT SetPalette(IDirectDrawPalette* palette) override;
    HRESULT Restore() override;
    HRESULT IsLost() override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC* description) const override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT ReleaseDC(HDC dc) override;
    Gdi& Graphics() override;

    // What the in-memory layer can show about a surface, for presenters,
    // state dumps and tests.
    bool Locked() const { return locked_; }
    bool IsPrimary() const { return primary_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    std::ptrdiff_t Pitch() const;
    const std::uint8_t* Pixels() const;
    std::uint8_t* MutablePixels();  // for the device-context drawing of MemoryGdi
    MemoryPalette* AttachedPalette() const { return palette_; }
    DisplayDevice& Device() const { return device_; }

  private:
    friend class DisplayDevice;
    friend class MemoryDirectDraw;
    // The pixels, starting on a page boundary: two surfaces' pixels placed
    // just a few bytes further apart than a whole number of pages make a
    // frame copy between them many times slower (4K aliasing), as the
    // allocator of the WebAssembly build did.
    struct Buffer {
        static constexpr std::size_t kAlignment = 4096;
        std::ptrdiff_t pitch = 0;

        void Assign(std::size_t size) {
            storage_.assign(size + kAlignment, 0);
            const auto address = reinterpret_cast<std::uintptr_t>(storage_.data());
            data_ = storage_.data() + (kAlignment - address % kAlignment) % kAlignment;
            size_ = size;
        }
        std::uint8_t* Data() { return data_; }
        std::size_t Size() const { return size_; }

      private:
        std::vector<std::uint8_t> storage_;
        std::uint8_t* data_ = nullptr;
        std::size_t size_ = 0;
    };
    MemorySurface(DisplayDevice& device, MemoryDirectDraw* owner)
        : device_(device), owner_(owner) {}
    void End() override;
    bool Busy() const { return locked_ || dc_ != 0; }
    void NoteChange() const;
    // Takes the memory away, as a mode switch by another program does.
    void Lose();

    DisplayDevice& device_;
    MemoryDirectDraw* owner_;
    int width_ = 0;
    int height_ = 0;
    DWORD caps_ = 0;
    bool primary_ = false;
    bool lost_ = false;
    std::unique_ptr<Buffer> buffer_;
    MemorySurface* backBuffer_ = nullptr;    // on a flipping primary
    MemorySurface* frontSurface_ = nullptr;  // on its back buffer
    MemoryPalette* palette_ = nullptr;
    bool locked_ = false;
    HDC dc_ = 0;
};

class MemoryDirectDraw : public Counted<IDirectDraw> {
  public:
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) override;
    HRESULT CreateSurface(DDSURFACEDESC* description, IDirectDrawSurface** surface,
                          void* outer) override;
    HRESULT CreatePalette(DWORD flags, const PALETTEENTRY* entries, IDirectDrawPalette** palette,
                          void* outer) override;
    Gdi& Graphics() override;

    DisplayDevice& Device() const { return device_; }

  private:
    friend class DisplayDevice;
    explicit MemoryDirectDraw(DisplayDevice& device) : device_(device) {}
    void End() override;

    DisplayDevice& device_;
    bool exclusive_ = false;
};

// The in-memory objects behind the interfaces (null for a foreign object).
MemorySurface* InMemory(IDirectDrawSurface* surface);
const MemorySurface* InMemory(const IDirectDrawSurface* surface);
MemoryPalette* InMemory(IDirectDrawPalette* palette);
const MemoryPalette* InMemory(const IDirectDrawPalette* palette);

// The display hardware and driver behind the layer: owns every object made
// through it, the setting of the row pitch, and the view of what is on screen.
class DisplayDevice : public DisplayDriver {
  public:
    static constexpr int kScreenWidth = 640;
    static constexpr int kScreenHeight = 480;

    // `pitch` is the row pitch of a 640-pixel-wide surface; every surface
    // gets the same number of padding bytes per row (at least 640).
    explicit DisplayDevice(FaultInjector& faults, std::ptrdiff_t pitch = kScreenWidth);
    ~DisplayDevice() override;
    DisplayDevice(const DisplayDevice&) = delete;
    DisplayDevice& operator=(const DisplayDevice&) = delete;

    HRESULT DirectDrawCreate(const void* driver, IDirectDraw** directDraw, void* outer) override;

    FaultInjector& Faults() { return faults_; }
    MemoryGdi& Graphics() { return *gdi_; }
    std::ptrdiff_t PitchFor(int width) const { return width + padding_; }

    // The visible screen: the live primary surface (front buffer) or null.
    const MemorySurface* Primary() const;
    // The palette that colours the screen: the primary's attached palette.
    const MemoryPalette* ScreenPalette() const;
    // Rises with every change of what the screen shows (pixels or colours).
    std::uint64_t ScreenGeneration() const { return generation_; }
    bool PaletteIsOnScreen(const MemoryPalette* palette) const;
    // Every live surface loses its memory, as when another program takes the
    // screen: Lock, BltFast, Flip and GetDC answer DDERR_SURFACELOST until
    // Restore (of the primary, for its back buffer), the pixels are gone and
    // the primary's palette is detached.
    void LoseSurfaces();

    std::size_t LiveDirectDraws() const;
    std::size_t LiveSurfaces() const;
    std::size_t LivePalettes() const;
    DWORD ModeWidth() const { return modeWidth_; }
    DWORD ModeHeight() const { return modeHeight_; }
    DWORD ModeBits() const { return modeBits_; }
    const MemoryDirectDraw* ExclusiveOwner() const { return exclusiveOwner_; }

  private:
    friend class MemoryDirectDraw;
    friend class MemorySurface;
    friend class MemoryPalette;
    void NoteScreenChange() { ++generation_; }

    FaultInjector& faults_;
    std::ptrdiff_t padding_;
    std::unique_ptr<MemoryGdi> gdi_;
    std::vector<std::unique_ptr<MemoryDirectDraw>> directDraws_;
    std::vector<std::unique_ptr<MemorySurface>> surfaces_;
    std::vector<std::unique_ptr<MemoryPalette>> palettes_;
    MemoryDirectDraw* exclusiveOwner_ = nullptr;
    DWORD modeWidth_ = kScreenWidth;
    DWORD modeHeight_ = kScreenHeight;
    DWORD modeBits_ = 8;
    std::uint64_t generation_ = 0;
};

}  // namespace velmora::platform
