#include "platform/win32/win32_ddraw.h"

#include <array>
#include <cstddef>

#include "platform/ddraw/counted.h"
#include "platform/win32/convert.h"

namespace velmora::platform::win32 {

class Win32Palette;
class Win32Surface;

class Win32DirectDraw final : public Counted<platform::IDirectDraw> {
  public:
    Win32DirectDraw(::IDirectDraw* system, Gdi& gdi) : system_(system), gdi_(gdi) {}
    ~Win32DirectDraw() override;

    platform::HRESULT SetCooperativeLevel(platform::HWND window, platform::DWORD flags) override;
    platform::HRESULT SetDisplayMode(platform::DWORD width, platform::DWORD height,
                                     platform::DWORD bitsPerPixel) override;
    platform::HRESULT CreateSurface(platform::DDSURFACEDESC* description,
                                    platform::IDirectDrawSurface** surface, void* outer) override;
    platform::HRESULT CreatePalette(platform::DWORD flags, const platform::PALETTEENTRY* entries,
                                    platform::IDirectDrawPalette** palette, void* outer) override;
    Gdi& Graphics() override { return gdi_; }

    void FlipToGdiSurface() {
        if (Alive()) {
            system_->FlipToGDISurface();
        }
    }

    // Sets the display mode last set through this object again, when its
    // window is in the foreground; false when it did not.
    bool ReapplyDisplayMode();

    // A restore of the primary while its window cannot be seen (minimised,
    // activated before it is restored) puts the picture back where nothing
    // shows it, and showing the window again erases it: ShowKeptPicture
    // then puts it on screen again.
    void NoteRestored(const Win32Surface& surface);
    void ShowKeptPicture();

    // The wrapper for a surface attached to `root`: the one already made
    // for that system object, or a new one holding the reference passed in.
    Win32Surface* AttachedWrapper(Win32Surface& root, ::IDirectDrawSurface* system);

  private:
    void End() override;

    ::IDirectDraw* system_;
    Gdi& gdi_;
    ::HWND window_ = nullptr;
    bool modeSet_ = false;
    platform::DWORD modeWidth_ = 0;
    platform::DWORD modeHeight_ = 0;
    platform::DWORD modeBits_ = 0;
    std::vector<std::unique_ptr<Win32Surface>> surfaces_;
    std::vector<std::unique_ptr<Win32Palette>> palettes_;
    Win32Surface* primary_ = nullptr;
    bool keptPictureHidden_ = false;
};

class Win32Palette final : public Counted<platform::IDirectDrawPalette> {
  public:
    explicit Win32Palette(::IDirectDrawPalette* system) : system_(system) {}
    ~Win32Palette() override { End(); }

    platform::HRESULT GetEntries(platform::DWORD flags, platform::DWORD first,
                                 platform::DWORD count,
                                 platform::PALETTEENTRY* entries) const override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        if (entries == nullptr || first > 256 || count > 256 - first) {
            return DDERR_INVALIDPARAMS;
        }
        std::array<::PALETTEENTRY, 256> table{};
        const ::HRESULT result = system_->GetEntries(flags, first, count, table.data());
        if (result == DD_OK) {
            for (std::size_t i = 0; i < count; ++i) {
                entries[i] = platform::PALETTEENTRY{table[i].peRed, table[i].peGreen,
                                                    table[i].peBlue, table[i].peFlags};
            }
        }
        return result;
    }

    platform::HRESULT SetEntries(platform::DWORD flags, platform::DWORD first,
                                 platform::DWORD count,
                                 const platform::PALETTEENTRY* entries) override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        if (entries == nullptr || first > 256 || count > 256 - first) {
            return DDERR_INVALIDPARAMS;
        }
        std::array<::PALETTEENTRY, 256> table{};
        for (std::size_t i = 0; i < count; ++i) {
            table[i] = ::PALETTEENTRY{entries[i].peRed, entries[i].peGreen, entries[i].peBlue,
                                      entries[i].peFlags};
        }
        return system_->SetEntries(flags, first, count, table.data());
    }

    // The system object, or null once ended.
    ::IDirectDrawPalette* System() const { return system_; }
    void Close() { End(); }

  private:
    void End() override {
        if (MarkEnded()) {
            system_->Release();
            system_ = nullptr;
        }
    }

    ::IDirectDrawPalette* system_;
};

class Win32Surface final : public Counted<platform::IDirectDrawSurface> {
  public:
    Win32Surface(Win32DirectDraw& owner, ::IDirectDrawSurface* system)
        : owner_(owner), system_(system) {}
    ~Win32Surface() override { End(); }

    platform::HRESULT GetAttachedSurface(const platform::DDSCAPS* caps,
                                         platform::IDirectDrawSurface** attached) override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        if (caps == nullptr || attached == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        ::DDSCAPS wanted{};
        wanted.dwCaps = caps->dwCaps;
        ::IDirectDrawSurface* found = nullptr;
        const ::HRESULT result = system_->GetAttachedSurface(&wanted, &found);
        if (result != DD_OK) {
            return result;
        }
        *attached = owner_.AttachedWrapper(*this, found);
        return DD_OK;
    }

    platform::HRESULT Lock(const platform::RECT* rect, platform::DDSURFACEDESC* description,
                           platform::DWORD flags, void* event) override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        if (description == nullptr || description->dwSize != sizeof(platform::DDSURFACEDESC)) {
            return DDERR_INVALIDPARAMS;
        }
        ::DDSURFACEDESC system = ToSystem(*description);
        ::RECT area{};
        if (rect != nullptr) {
            area = ToSystem(*rect);
        }
        const ::HRESULT result = system_->Lock(rect != nullptr ? &area : nullptr, &system, flags,
                                               static_cast<::HANDLE>(event));
        if (result == DD_OK) {
            *description = FromSystem(system);
        }
        return result;
    }

    platform::HRESULT Unlock(void* pixels) override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        return system_->Unlock(pixels);
    }

    platform::HRESULT BltFast(platform::DWORD x, platform::DWORD y,
                              platform::IDirectDrawSurface* source,
                              const platform::RECT* sourceRect, platform::DWORD transfer) override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        ::IDirectDrawSurface* from = nullptr;
        if (const platform::HRESULT refused = Unwrap(source, from); refused != DD_OK) {
            return refused;
        }
        if (from == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        ::RECT area{};
        if (sourceRect != nullptr) {
            area = ToSystem(*sourceRect);
        }
        return system_->BltFast(x, y, from, sourceRect != nullptr ? &area : nullptr, transfer);
    }

    platform::HRESULT Flip(platform::IDirectDrawSurface* override, platform::DWORD flags) override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        ::IDirectDrawSurface* target = nullptr;
        if (const platform::HRESULT refused = Unwrap(override, target); refused != DD_OK) {
            return refused;
        }
        return system_->Flip(target, flags);
    }

    platform::HRESULT SetPalette(platform::IDirectDrawPalette* palette) override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        if (palette == nullptr) {
            return system_->SetPalette(nullptr);
        }
        const auto* ours = dynamic_cast<const Win32Palette*>(palette);
        if (ours == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        if (ours->System() == nullptr) {
            return DDERR_INVALIDOBJECT;
        }
        return system_->SetPalette(ours->System());
    }

    platform::HRESULT Restore() override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        ::HRESULT result = system_->Restore();
        // Windows gives an exclusive program its display mode back when it
        // is activated again; Wine leaves the desktop's mode in place, in
        // which the surfaces cannot come back.
        if (result == DDERR_WRONGMODE && owner_.ReapplyDisplayMode()) {
            result = system_->Restore();
        }
        if (result == DD_OK) {
            owner_.NoteRestored(*this);
        }
        return result;
    }

    platform::HRESULT IsLost() override {
        return Alive() ? system_->IsLost() : DDERR_INVALIDOBJECT;
    }

    platform::HRESULT GetSurfaceDesc(platform::DDSURFACEDESC* description) const override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        if (description == nullptr || description->dwSize != sizeof(platform::DDSURFACEDESC)) {
            return DDERR_INVALIDPARAMS;
        }
        ::DDSURFACEDESC system{};
        system.dwSize = sizeof(system);
        const ::HRESULT result = system_->GetSurfaceDesc(&system);
        if (result == DD_OK) {
            *description = FromSystem(system);
        }
        return result;
    }

    platform::HRESULT GetDC(platform::HDC* dc) override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        if (dc == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        ::HDC system = nullptr;
        const ::HRESULT result = system_->GetDC(&system);
        if (result == DD_OK) {
            *dc = HandleValue(system);
        }
        return result;
    }

    platform::HRESULT ReleaseDC(platform::HDC dc) override {
        if (!Alive()) {
            return DDERR_INVALIDOBJECT;
        }
        return system_->ReleaseDC(SystemHandle<::HDC>(dc));
    }

    Gdi& Graphics() override { return owner_.Graphics(); }

    ::IDirectDrawSurface* System() const { return system_; }
    // The back buffer of a flipping primary, or null.
    const Win32Surface* BackBuffer() const { return attached_.empty() ? nullptr : attached_[0]; }
    void Attach(Win32Surface* attached) { attached_.push_back(attached); }
    void Close() { End(); }

  private:
    // The system surface behind one of ours; null stays null.
    static platform::HRESULT Unwrap(platform::IDirectDrawSurface* surface,
                                    ::IDirectDrawSurface*& system) {
        system = nullptr;
        if (surface == nullptr) {
            return DD_OK;
        }
        const auto* ours = dynamic_cast<const Win32Surface*>(surface);
        if (ours == nullptr) {
            return DDERR_INVALIDPARAMS;
        }
        if (ours->System() == nullptr) {
            return DDERR_INVALIDOBJECT;
        }
        system = ours->System();
        return DD_OK;
    }

    // Surfaces attached to this one (the back buffer of a flipping primary)
    // end with it, as the system's do; their references go back first,
    // while the chain still exists.
    void End() override {
        if (!MarkEnded()) {
            return;
        }
        for (Win32Surface* attached : attached_) {
            attached->End();
        }
        attached_.clear();
        system_->Release();
        system_ = nullptr;
    }

    Win32DirectDraw& owner_;
    ::IDirectDrawSurface* system_;
    std::vector<Win32Surface*> attached_;
};

Win32DirectDraw::~Win32DirectDraw() {
    End();
}

platform::HRESULT Win32DirectDraw::SetCooperativeLevel(platform::HWND window,
                                                       platform::DWORD flags) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    const ::HRESULT result = system_->SetCooperativeLevel(SystemHandle<::HWND>(window), flags);
    if (result == DD_OK) {
        window_ = SystemHandle<::HWND>(window);
    }
    return result;
}

platform::HRESULT Win32DirectDraw::SetDisplayMode(platform::DWORD width, platform::DWORD height,
                                                  platform::DWORD bitsPerPixel) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    const ::HRESULT result = system_->SetDisplayMode(width, height, bitsPerPixel);
    if (result == DD_OK) {
        modeSet_ = true;
        modeWidth_ = width;
        modeHeight_ = height;
        modeBits_ = bitsPerPixel;
    }
    return result;
}

bool Win32DirectDraw::ReapplyDisplayMode() {
    if (!Alive() || !modeSet_ || window_ == nullptr || ::GetForegroundWindow() != window_) {
        return false;
    }
    return system_->SetDisplayMode(modeWidth_, modeHeight_, modeBits_) == DD_OK;
}

platform::HRESULT Win32DirectDraw::CreateSurface(platform::DDSURFACEDESC* description,
                                                 platform::IDirectDrawSurface** surface,
                                                 void* outer) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (description == nullptr || surface == nullptr ||
        description->dwSize != sizeof(platform::DDSURFACEDESC)) {
        return DDERR_INVALIDPARAMS;
    }
    ::DDSURFACEDESC system = ToSystem(*description);
    ::IDirectDrawSurface* made = nullptr;
    const ::HRESULT result =
        system_->CreateSurface(&system, &made, static_cast<::IUnknown*>(outer));
    if (result != DD_OK) {
        return result;
    }
    surfaces_.push_back(std::make_unique<Win32Surface>(*this, made));
    *surface = surfaces_.back().get();
    if ((description->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0) {
        primary_ = surfaces_.back().get();
    }
    return DD_OK;
}

platform::HRESULT Win32DirectDraw::CreatePalette(platform::DWORD flags,
                                                 const platform::PALETTEENTRY* entries,
                                                 platform::IDirectDrawPalette** palette,
                                                 void* outer) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    const std::size_t count = PaletteEntryCount(flags);
    if (entries == nullptr || palette == nullptr || count == 0) {
        return DDERR_INVALIDPARAMS;
    }
    std::array<::PALETTEENTRY, 256> table{};
    for (std::size_t i = 0; i < count; ++i) {
        table[i] = ::PALETTEENTRY{entries[i].peRed, entries[i].peGreen, entries[i].peBlue,
                                  entries[i].peFlags};
    }
    ::IDirectDrawPalette* made = nullptr;
    const ::HRESULT result =
        system_->CreatePalette(flags, table.data(), &made, static_cast<::IUnknown*>(outer));
    if (result != DD_OK) {
        return result;
    }
    palettes_.push_back(std::make_unique<Win32Palette>(made));
    *palette = palettes_.back().get();
    return DD_OK;
}

namespace {

bool Hidden(::HWND window) {
    return ::IsIconic(window) != FALSE || ::IsWindowVisible(window) == FALSE;
}

}  // namespace

void Win32DirectDraw::NoteRestored(const Win32Surface& surface) {
    if (&surface == primary_ && window_ != nullptr && Hidden(window_)) {
        keptPictureHidden_ = true;
    }
}

void Win32DirectDraw::ShowKeptPicture() {
    if (!keptPictureHidden_ || !Alive() || primary_ == nullptr || window_ == nullptr ||
        Hidden(window_)) {
        return;
    }
    keptPictureHidden_ = false;
    // Both buffers hold the kept picture since the restore: copying one onto
    // the other shows it without a frame of the program's.
    const Win32Surface* back = primary_->BackBuffer();
    if (primary_->System() != nullptr && back != nullptr && back->System() != nullptr) {
        primary_->System()->BltFast(0, 0, back->System(), nullptr,
                                    DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT);
    }
}

Win32Surface* Win32DirectDraw::AttachedWrapper(Win32Surface& root, ::IDirectDrawSurface* system) {
    for (const auto& surface : surfaces_) {
        if (surface->System() == system) {
            // The system counted one more reference; ours stands for it.
            system->Release();
            surface->AddRef();
            return surface.get();
        }
    }
    surfaces_.push_back(std::make_unique<Win32Surface>(*this, system));
    root.Attach(surfaces_.back().get());
    return surfaces_.back().get();
}

// Everything made from the object ends with it: surfaces first (a primary
// takes its back buffer along), then palettes, which surfaces may hold.
void Win32DirectDraw::End() {
    if (!MarkEnded()) {
        return;
    }
    for (const auto& surface : surfaces_) {
        surface->Close();
    }
    for (const auto& palette : palettes_) {
        palette->Close();
    }
    system_->Release();
    system_ = nullptr;
}

Win32DisplayDriver::Win32DisplayDriver(Gdi& gdi) : gdi_(gdi) {}

Win32DisplayDriver::~Win32DisplayDriver() = default;

void Win32DisplayDriver::ShowKeptPicture() {
    for (const auto& object : objects_) {
        object->ShowKeptPicture();
    }
}

void Win32DisplayDriver::ShowGdiSurface() {
    for (const auto& object : objects_) {
        object->FlipToGdiSurface();
    }
}

platform::HRESULT Win32DisplayDriver::DirectDrawCreate(const void* driver,
                                                       platform::IDirectDraw** directDraw,
                                                       void* outer) {
    if (directDraw == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    ::IDirectDraw* system = nullptr;
    const ::HRESULT result =
        ::DirectDrawCreate(const_cast<::GUID*>(static_cast<const ::GUID*>(driver)), &system,
                           static_cast<::IUnknown*>(outer));
    if (result != DD_OK) {
        return result;
    }
    objects_.push_back(std::make_unique<Win32DirectDraw>(system, gdi_));
    *directDraw = objects_.back().get();
    return DD_OK;
}

}  // namespace velmora::platform::win32
