#include "platform/ddraw/memory.h"

#include <algorithm>
#include <cstring>

#include "platform/ddraw/memory_gdi.h"

namespace velmora::platform {

namespace {

constexpr DWORD kSurfaceDescSize = sizeof(DDSURFACEDESC);
// The largest off-screen surface the layer makes; larger requests fail like
// an exhausted video memory rather than exhausting the process.
constexpr int kMaxSurfaceSide = 8192;
constexpr std::int64_t kMaxSurfacePixels = std::int64_t{16} * 1024 * 1024;

bool RectInside(const RECT& rect, int width, int height) {
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
           rect.right <= width && rect.bottom <= height;
}

void FillFormat(DDPIXELFORMAT& format) {
    format = DDPIXELFORMAT{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
    format.dwRGBBitCount = 8;
}

}  // namespace

// --- palettes -----------------------------------------------------------------

void MemoryPalette::End() {
    const bool onScreen = device_.PaletteIsOnScreen(this);
    if (MarkEnded() && onScreen) {
        device_.NoteScreenChange();
    }
}

HRESULT MemoryPalette::GetEntries(DWORD flags, DWORD first, DWORD count,
                                  PALETTEENTRY* entries) const {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kGetEntries)) {
        return DDERR_GENERIC;
    }
    if (flags != 0 || entries == nullptr || first > 256 || count > 256 - first) {
        return DDERR_INVALIDPARAMS;
    }
    std::copy_n(entries_.begin() + first, count, entries);
    return DD_OK;
}

HRESULT MemoryPalette::SetEntries(DWORD flags, DWORD first, DWORD count,
                                  const PALETTEENTRY* entries) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kSetEntries)) {
        return DDERR_GENERIC;
    }
    if (flags != 0 || entries == nullptr || first > 256 || count > 256 - first) {
        return DDERR_INVALIDPARAMS;
    }
    std::copy_n(entries, count, entries_.begin() + first);
    if (device_.PaletteIsOnScreen(this)) {
        device_.NoteScreenChange();
    }
    return DD_OK;
}

// --- surfaces -----------------------------------------------------------------

void MemorySurface::End() {
    if (!MarkEnded()) {
        return;
    }
    const bool wasOnScreen = primary_;
    if (dc_ != 0) {
        device_.Graphics().DeleteSurfaceDC(dc_);
        dc_ = 0;
    }
    if (palette_ != nullptr) {
        MemoryPalette* palette = palette_;
        palette_ = nullptr;
        palette->Release();
    }
    buffer_.reset();
    locked_ = false;
    if (backBuffer_ != nullptr) {
        MemorySurface* back = backBuffer_;
        backBuffer_ = nullptr;
        back->frontSurface_ = nullptr;
        back->End();
    }
    if (frontSurface_ != nullptr) {
        frontSurface_->backBuffer_ = nullptr;
        frontSurface_ = nullptr;
    }
    if (wasOnScreen) {
        device_.NoteScreenChange();
    }
}

std::ptrdiff_t MemorySurface::Pitch() const {
    return buffer_ ? buffer_->pitch : 0;
}

const std::uint8_t* MemorySurface::Pixels() const {
    return buffer_ ? buffer_->Data() : nullptr;
}

std::uint8_t* MemorySurface::MutablePixels() {
    return buffer_ ? buffer_->Data() : nullptr;
}

void MemorySurface::NoteChange() const {
    if (primary_) {
        device_.NoteScreenChange();
    }
}

HRESULT MemorySurface::GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** attached) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kGetAttachedSurface)) {
        return DDERR_NOTFOUND;
    }
    if (caps == nullptr || attached == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *attached = nullptr;
    if ((caps->dwCaps & DDSCAPS_BACKBUFFER) == 0 || backBuffer_ == nullptr) {
        return DDERR_NOTFOUND;
    }
    backBuffer_->AddRef();
    *attached = backBuffer_;
    return DD_OK;
}

HRESULT MemorySurface::Lock(const RECT* rect, DDSURFACEDESC* description, DWORD /*flags*/,
                            void* event) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kLock)) {
        return DDERR_SURFACELOST;
    }
    if (description == nullptr || description->dwSize != kSurfaceDescSize || event != nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if (lost_) {
        return DDERR_SURFACELOST;
    }
    const RECT area = rect != nullptr ? *rect : RECT{0, 0, width_, height_};
    if (!RectInside(area, width_, height_)) {
        return DDERR_INVALIDRECT;
    }
    if (Busy()) {
        return DDERR_SURFACEBUSY;
    }
    locked_ = true;
    description->dwFlags =
        DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT;
    description->dwWidth = static_cast<DWORD>(width_);
    description->dwHeight = static_cast<DWORD>(height_);
    description->lPitch = static_cast<LONG>(buffer_->pitch);
    description->lpSurface = buffer_->Data() + area.top * buffer_->pitch + area.left;
    FillFormat(description->ddpfPixelFormat);
    description->ddsCaps.dwCaps = caps_;
    return DD_OK;
}

HRESULT MemorySurface::Unlock(void* /*pixels*/) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kUnlock)) {
        return DDERR_GENERIC;
    }
    if (!locked_) {
        return DDERR_NOTLOCKED;
    }
    locked_ = false;
    NoteChange();
    return DD_OK;
}

HRESULT MemorySurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* sourceSurface,
                               const RECT* sourceRect, DWORD /*transfer*/) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kBltFast)) {
        return DDERR_SURFACELOST;
    }
    if (sourceSurface == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    MemorySurface* source = InMemory(sourceSurface);
    if (source == nullptr || !source->Alive() || &source->device_ != &device_) {
        return DDERR_INVALIDOBJECT;
    }
    if (lost_ || source->lost_) {
        return DDERR_SURFACELOST;
    }
    const RECT from =
        sourceRect != nullptr ? *sourceRect : RECT{0, 0, source->width_, source->height_};
    if (!RectInside(from, source->width_, source->height_) || x > 0x7FFFFFFFU || y > 0x7FFFFFFFU) {
        return DDERR_INVALIDRECT;
    }
    const std::int64_t w = from.right - from.left;
    const std::int64_t h = from.bottom - from.top;
    if (static_cast<std::int64_t>(x) + w > width_ || static_cast<std::int64_t>(y) + h > height_) {
        return DDERR_INVALIDRECT;
    }
    if (Busy() || source->Busy()) {
        return DDERR_SURFACEBUSY;
    }
    // Whole rows between equal pitches are one block.
    if (x == 0 && from.left == 0 && w == buffer_->pitch && w == source->buffer_->pitch) {
        std::memmove(buffer_->Data() + static_cast<std::int64_t>(y) * w,
                     source->buffer_->Data() + from.top * w, static_cast<std::size_t>(w * h));
        NoteChange();
        return DD_OK;
    }
    for (std::int64_t row = 0; row < h; ++row) {
        const std::uint8_t* src =
            source->buffer_->Data() + (from.top + row) * source->buffer_->pitch + from.left;
        std::uint8_t* dst =
            buffer_->Data() + (static_cast<std::int64_t>(y) + row) * buffer_->pitch + x;
        std::memmove(dst, src, static_cast<std::size_t>(w));
    }
    NoteChange();
    return DD_OK;
}

HRESULT MemorySurface::Flip(IDirectDrawSurface* override, DWORD flags) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kFlip)) {
        return DDERR_SURFACELOST;
    }
    if (override != nullptr || flags != 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (!primary_ || backBuffer_ == nullptr) {
        return DDERR_NOTFLIPPABLE;
    }
    if (lost_ || backBuffer_->lost_) {
        return DDERR_SURFACELOST;
    }
    if (Busy() || backBuffer_->Busy()) {
        return DDERR_SURFACEBUSY;
    }
    std::swap(buffer_, backBuffer_->buffer_);
    NoteChange();
    return DD_OK;
}

HRESULT MemorySurface::SetPalette(IDirectDrawPalette* paletteInterface) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kSetPalette)) {
        return DDERR_SURFACELOST;
    }
    MemoryPalette* palette = InMemory(paletteInterface);
    if (paletteInterface != nullptr &&
        (palette == nullptr || !palette->Alive() || &palette->Device() != &device_)) {
        return DDERR_INVALIDOBJECT;
    }
    if (palette != nullptr) {
        palette->AddRef();
    }
    MemoryPalette* old = palette_;
    palette_ = palette;
    if (old != nullptr) {
        old->Release();
    }
    NoteChange();
    return DD_OK;
}

HRESULT MemorySurface::Restore() {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kRestore)) {
        return DDERR_GENERIC;
    }
    // As in DirectDraw, a back buffer comes back only with its primary.
    if (frontSurface_ != nullptr) {
        return DDERR_IMPLICITLYCREATED;
    }
    // The memory comes back (for a primary with its back buffer), not what
    // it held.
    lost_ = false;
    if (backBuffer_ != nullptr) {
        backBuffer_->lost_ = false;
    }
    return DD_OK;
}

HRESULT MemorySurface::IsLost() {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    return lost_ ? DDERR_SURFACELOST : DD_OK;
}

void MemorySurface::Lose() {
    if (!Alive() || lost_) {
        return;
    }
    lost_ = true;
    std::fill_n(buffer_->Data(), buffer_->Size(), std::uint8_t{0});
    // The other program set its own colours: the screen shows ours again
    // only when the palette is attached anew.
    if (primary_ && palette_ != nullptr) {
        MemoryPalette* palette = palette_;
        palette_ = nullptr;
        palette->Release();
    }
    NoteChange();
}

Gdi& MemorySurface::Graphics() {
    return device_.Graphics();
}

HRESULT MemorySurface::GetSurfaceDesc(DDSURFACEDESC* description) const {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kGetSurfaceDesc)) {
        return DDERR_GENERIC;
    }
    if (description == nullptr || description->dwSize != kSurfaceDescSize) {
        return DDERR_INVALIDPARAMS;
    }
    description->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    description->dwWidth = static_cast<DWORD>(width_);
    description->dwHeight = static_cast<DWORD>(height_);
    description->lPitch = static_cast<LONG>(buffer_->pitch);
    description->dwBackBufferCount = backBuffer_ != nullptr ? 1 : 0;
    FillFormat(description->ddpfPixelFormat);
    description->ddsCaps.dwCaps = caps_;
    return DD_OK;
}

HRESULT MemorySurface::GetDC(HDC* dc) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kGetDC)) {
        return DDERR_CANTCREATEDC;
    }
    if (dc == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if (lost_) {
        return DDERR_SURFACELOST;
    }
    if (Busy()) {
        return DDERR_SURFACEBUSY;
    }
    dc_ = device_.Graphics().CreateSurfaceDC(this);
    *dc = dc_;
    return dc_ != 0 ? DD_OK : DDERR_CANTCREATEDC;
}

HRESULT MemorySurface::ReleaseDC(HDC dc) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (dc == 0 || dc != dc_) {
        return DDERR_INVALIDPARAMS;
    }
    device_.Graphics().DeleteSurfaceDC(dc_);
    dc_ = 0;
    NoteChange();
    return DD_OK;
}

// --- the DirectDraw object ------------------------------------------------------

void MemoryDirectDraw::End() {
    if (!MarkEnded()) {
        return;
    }
    for (auto& surface : device_.surfaces_) {
        if (surface->owner_ == this) {
            surface->End();
        }
    }
    for (auto& palette : device_.palettes_) {
        if (palette->owner_ == this) {
            palette->End();
        }
    }
    if (device_.exclusiveOwner_ == this) {
        device_.exclusiveOwner_ = nullptr;
        device_.modeWidth_ = DisplayDevice::kScreenWidth;
        device_.modeHeight_ = DisplayDevice::kScreenHeight;
        device_.modeBits_ = 8;
    }
}

HRESULT MemoryDirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kSetCooperativeLevel)) {
        return DDERR_EXCLUSIVEMODEALREADYSET;
    }
    const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    if (exclusive && (window == 0 || (flags & DDSCL_FULLSCREEN) == 0)) {
        return DDERR_INVALIDPARAMS;
    }
    if (exclusive && device_.exclusiveOwner_ != nullptr && device_.exclusiveOwner_ != this) {
        return DDERR_EXCLUSIVEMODEALREADYSET;
    }
    exclusive_ = exclusive;
    if (exclusive) {
        device_.exclusiveOwner_ = this;
    } else if (device_.exclusiveOwner_ == this) {
        device_.exclusiveOwner_ = nullptr;
    }
    return DD_OK;
}

HRESULT MemoryDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kSetDisplayMode)) {
        return DDERR_UNSUPPORTEDMODE;
    }
    if (!exclusive_) {
        return DDERR_NOEXCLUSIVEMODE;
    }
    if (width != DisplayDevice::kScreenWidth || height != DisplayDevice::kScreenHeight ||
        bitsPerPixel != 8) {
        return DDERR_UNSUPPORTEDMODE;
    }
    device_.modeWidth_ = width;
    device_.modeHeight_ = height;
    device_.modeBits_ = bitsPerPixel;
    return DD_OK;
}

HRESULT MemoryDirectDraw::CreateSurface(DDSURFACEDESC* description, IDirectDrawSurface** surface,
                                        void* outer) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kCreateSurface)) {
        return DDERR_OUTOFVIDEOMEMORY;
    }
    if (description == nullptr || surface == nullptr || outer != nullptr ||
        description->dwSize != kSurfaceDescSize || (description->dwFlags & DDSD_CAPS) == 0) {
        return DDERR_INVALIDPARAMS;
    }
    *surface = nullptr;
    const DWORD caps = description->ddsCaps.dwCaps;
    auto make = [&](int width, int height, DWORD surfaceCaps) {
        auto made = std::unique_ptr<MemorySurface>(new MemorySurface(device_, this));
        made->width_ = width;
        made->height_ = height;
        made->caps_ = surfaceCaps;
        made->buffer_ = std::make_unique<MemorySurface::Buffer>();
        made->buffer_->pitch = device_.PitchFor(width);
        made->buffer_->Assign(static_cast<std::size_t>(made->buffer_->pitch * height));
        device_.surfaces_.push_back(std::move(made));
        return device_.surfaces_.back().get();
    };

    if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) {
        if (device_.Primary() != nullptr) {
            return DDERR_PRIMARYSURFACEALREADYEXISTS;
        }
        const bool flipping = (caps & DDSCAPS_FLIP) != 0;
        if (flipping &&
            ((caps & DDSCAPS_COMPLEX) == 0 || (description->dwFlags & DDSD_BACKBUFFERCOUNT) == 0 ||
             description->dwBackBufferCount != 1)) {
            return DDERR_INVALIDPARAMS;
        }
        const int width = static_cast<int>(device_.modeWidth_);
        const int height = static_cast<int>(device_.modeHeight_);
        MemorySurface* primary = make(width, height, caps | DDSCAPS_FRONTBUFFER);
        primary->primary_ = true;
        if (flipping) {
            MemorySurface* back =
                make(width, height,
                     (caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) | DDSCAPS_BACKBUFFER);
            primary->backBuffer_ = back;
            back->frontSurface_ = primary;
        }
        device_.NoteScreenChange();
        *surface = primary;
        return DD_OK;
    }

    if ((description->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) ||
        (caps & (DDSCAPS_FLIP | DDSCAPS_BACKBUFFER)) != 0) {
        return DDERR_INVALIDPARAMS;
    }
    const std::int64_t width = description->dwWidth;
    const std::int64_t height = description->dwHeight;
    if (width < 1 || height < 1) {
        return DDERR_INVALIDPARAMS;
    }
    if (width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        (width + (device_.PitchFor(0))) * height > kMaxSurfacePixels) {
        return DDERR_OUTOFVIDEOMEMORY;
    }
    *surface = make(static_cast<int>(width), static_cast<int>(height), caps);
    return DD_OK;
}

HRESULT MemoryDirectDraw::CreatePalette(DWORD flags, const PALETTEENTRY* entries,
                                        IDirectDrawPalette** palette, void* outer) {
    if (!Alive()) {
        return DDERR_INVALIDOBJECT;
    }
    if (device_.Faults().ShouldFail(Operation::kCreatePalette)) {
        return DDERR_OUTOFMEMORY;
    }
    if (entries == nullptr || palette == nullptr || outer != nullptr ||
        (flags & DDPCAPS_8BIT) == 0) {
        return DDERR_INVALIDPARAMS;
    }
    auto made = std::unique_ptr<MemoryPalette>(new MemoryPalette(device_, this));
    std::copy_n(entries, 256, made->entries_.begin());
    device_.palettes_.push_back(std::move(made));
    *palette = device_.palettes_.back().get();
    return DD_OK;
}

Gdi& MemoryDirectDraw::Graphics() {
    return device_.Graphics();
}

MemorySurface* InMemory(IDirectDrawSurface* surface) {
    return dynamic_cast<MemorySurface*>(surface);
}

const MemorySurface* InMemory(const IDirectDrawSurface* surface) {
    return dynamic_cast<const MemorySurface*>(surface);
}

MemoryPalette* InMemory(IDirectDrawPalette* palette) {
    return dynamic_cast<MemoryPalette*>(palette);
}

const MemoryPalette* InMemory(const IDirectDrawPalette* palette) {
    return dynamic_cast<const MemoryPalette*>(palette);
}

// --- the device -----------------------------------------------------------------

DisplayDevice::DisplayDevice(FaultInjector& faults, std::ptrdiff_t pitch)
    : faults_(faults),
      padding_(std::max<std::ptrdiff_t>(pitch, kScreenWidth) - kScreenWidth),
      gdi_(std::make_unique<MemoryGdi>(*this)) {}

DisplayDevice::~DisplayDevice() = default;

HRESULT DisplayDevice::DirectDrawCreate(const void* driver, IDirectDraw** directDraw, void* outer) {
    if (faults_.ShouldFail(Operation::kDirectDrawCreate)) {
        return DDERR_NODIRECTDRAWHW;
    }
    if (driver != nullptr || outer != nullptr || directDraw == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    directDraws_.push_back(std::unique_ptr<MemoryDirectDraw>(new MemoryDirectDraw(*this)));
    *directDraw = directDraws_.back().get();
    return DD_OK;
}

const MemorySurface* DisplayDevice::Primary() const {
    for (const auto& surface : surfaces_) {
        if (surface->Alive() && surface->primary_) {
            return surface.get();
        }
    }
    return nullptr;
}

const MemoryPalette* DisplayDevice::ScreenPalette() const {
    const MemorySurface* primary = Primary();
    return primary != nullptr ? primary->palette_ : nullptr;
}

bool DisplayDevice::PaletteIsOnScreen(const MemoryPalette* palette) const {
    return palette != nullptr && ScreenPalette() == palette;
}

void DisplayDevice::LoseSurfaces() {
    for (auto& surface : surfaces_) {
        surface->Lose();
    }
}

std::size_t DisplayDevice::LiveDirectDraws() const {
    return static_cast<std::size_t>(std::count_if(directDraws_.begin(), directDraws_.end(),
                                                  [](const auto& d) { return d->Alive(); }));
}

std::size_t DisplayDevice::LiveSurfaces() const {
    return static_cast<std::size_t>(std::count_if(surfaces_.begin(), surfaces_.end(),
                                                  [](const auto& s) { return s->Alive(); }));
}

std::size_t DisplayDevice::LivePalettes() const {
    return static_cast<std::size_t>(std::count_if(palettes_.begin(), palettes_.end(),
                                                  [](const auto& p) { return p->Alive(); }));
}

}  // namespace velmora::platform
