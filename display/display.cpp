#include "display/display.h"

#include <new>

namespace velmora::display {

using namespace platform;

namespace {

constexpr RECT kScreenRect{0, 0, 640, 480};
constexpr RECT kTileRect{0, 0, stereo::kTileWidth, stereo::kTileHeight};

template <typename T>
void ReleaseAndClear(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

DDSURFACEDESC FreshDescription() {
    DDSURFACEDESC description;
    description.dwSize = sizeof(description);
    return description;
}

}  // namespace

bool SetUpDisplay(DisplayContext& context, const DisplaySetUp& setUp, stereo::Scene& scene) {
    // 1-3: the object, exclusive full-screen ownership, the mode.
    if (setUp.device.DirectDrawCreate(nullptr, &context.directDraw, nullptr) != DD_OK) {
        context.directDraw = nullptr;
        return false;
    }
    if (context.directDraw->SetCooperativeLevel(setUp.window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) !=
        DD_OK) {
        return false;
    }
    if (context.directDraw->SetDisplayMode(640, 480, 8) != DD_OK) {
        return false;
    }
    // 4: the primary surface with one back buffer.
    context.surfaceDescription = FreshDescription();
    context.surfaceDescription.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    context.surfaceDescription.ddsCaps.dwCaps =
        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    context.surfaceDescription.dwBackBufferCount = 1;
    if (context.directDraw->CreateSurface(&context.surfaceDescription, &context.primarySurface,
                                          nullptr) != DD_OK) {
        context.primarySurface = nullptr;
        return false;
    }
    // 5: its back buffer.
    DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    if (context.primarySurface->GetAttachedSurface(&backCaps, &context.backBuffer) != DD_OK) {
        context.backBuffer = nullptr;
        return false;
    }
    // 6: the flicker palettes; nothing here fails the set-up.
    CreateFlickerPalettes(context.flickerPalettes, setUp.kernel, context.directDraw,
                          context.primarySurface, scene.random, setUp.calendarSeconds);
    // 7: the pattern tile, sized by the bitmap.
    context.patternTile = LoadBitmapSurface(setUp.kernel, context.directDraw, "ALL", 0, 0);
    if (context.patternTile == nullptr) {
        return false;
    }
    // 8: fresh random dots in the tile; a refused lock keeps the bitmap's own.
    DDSURFACEDESC tileDescription = FreshDescription();
    RECT tileRect = kTileRect;
    if (context.patternTile->Lock(&tileRect, &tileDescription, DDLOCK_WAIT, nullptr) == DD_OK) {
        stereo::FillPatternTile(scene.random, static_cast<std::uint8_t*>(tileDescription.lpSurface),
                                tileDescription.lPitch);
        context.patternTile->Unlock(tileDescription.lpSurface);
    }
    // 9: the depth map. Running out of memory here fails the set-up.
    try {
        scene.depth.Allocate();
    } catch (const std::bad_alloc&) {
        return false;
    }
    // 10: both buffers covered with the tile, 8 columns by 4 rows.
    for (int x = 0; x < 640; x += stereo::kTileWidth) {
        for (int y = 0; y < 480; y += stereo::kTileHeight) {
            RECT source = kTileRect;
            if (context.primarySurface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y),
                                                context.patternTile, &source,
                                                DDBLTFAST_NOCOLORKEY) != DD_OK) {
                return false;
            }
            if (context.backBuffer->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y),
                                            context.patternTile, &source,
                                            DDBLTFAST_NOCOLORKEY) != DD_OK) {
                return false;
            }
        }
    }
    // 11: the first picture; a refused lock leaves the brush unstamped.
    if (LockBackBuffer(context) == DD_OK) {
        stereo::DrawFirstPicture(
            scene, stereo::Picture{static_cast<std::uint8_t*>(context.surfaceDescription.lpSurface),
                                   context.surfaceDescription.lPitch});
        UnlockBackBuffer(context);
    }
    return true;
}

HRESULT LockBackBuffer(DisplayContext& context) {
    if (context.backBuffer == nullptr) {
        return E_FAIL;
    }
    RECT screen = kScreenRect;
    context.surfaceDescription.dwSize = sizeof(DDSURFACEDESC);
    return context.backBuffer->Lock(&screen, &context.surfaceDescription, DDLOCK_WAIT, nullptr);
}

HRESULT UnlockBackBuffer(DisplayContext& context) {
    if (context.backBuffer == nullptr) {
        return E_FAIL;
    }
    return context.backBuffer->Unlock(context.surfaceDescription.lpSurface);
}

void PresentFrame(DisplayContext& context, std::int32_t flickerMode, std::uint32_t& frameCount) {
    if (context.primarySurface != nullptr) {
        RECT screen = kScreenRect;
        context.primarySurface->BltFast(0, 0, context.backBuffer, &screen, DDBLTFAST_NOCOLORKEY);
        AdvanceFlicker(context.flickerPalettes, context.primarySurface, flickerMode);
        context.primarySurface->Flip(nullptr, 0);
    }
    ++frameCount;
}

void ReleaseDisplayObjects(DisplayContext& context) {
    if (context.directDraw == nullptr) {
        return;
    }
    ReleaseAndClear(context.primarySurface);
    context.backBuffer = nullptr;  // ended with the primary
    ReleaseAndClear(context.patternTile);
    ReleaseAndClear(context.flickerPalettes.slots[0]);
    ReleaseAndClear(context.directDraw);
    // Slots 1..31 ended with the DirectDraw object.
    for (auto& slot : context.flickerPalettes.slots) {
        slot = nullptr;
    }
}

}  // namespace velmora::display
