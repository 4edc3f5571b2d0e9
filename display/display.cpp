#include "display/display.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "stereo/stroke.h"

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

// Copies `rows` rows of `width` bytes between two pitches.
void CopyRows(std::uint8_t* to, std::ptrdiff_t toPitch, const std::uint8_t* from,
              std::ptrdiff_t fromPitch, int width, int rows) {
    if (toPitch == width && fromPitch == width) {
        std::memcpy(to, from, static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
        return;
    }
    for (int y = 0; y < rows; ++y) {
        std::memcpy(to + y * toPitch, from + y * fromPitch, static_cast<std::size_t>(width));
    }
}

bool Lost(IDirectDrawSurface* surface) {
    return surface != nullptr && surface->IsLost() != DD_OK;
}

void PutBackTile(DisplayContext& context) {
    DDSURFACEDESC tileDescription = FreshDescription();
    RECT tileRect = kTileRect;
    if (!context.tileSaved ||
        context.patternTile->Lock(&tileRect, &tileDescription, DDLOCK_WAIT, nullptr) != DD_OK) {
        return;
    }
    CopyRows(static_cast<std::uint8_t*>(tileDescription.lpSurface), tileDescription.lPitch,
             context.savedTile.data(), stereo::kTileWidth, stereo::kTileWidth, stereo::kTileHeight);
    context.patternTile->Unlock(tileDescription.lpSurface);
}

// The saved picture into the back buffer, then onto the primary, so both
// hold it as after a presented frame.
void PutBackPicture(DisplayContext& context) {
    if (context.savedPicture.size() != stereo::DepthMap::kSize ||
        LockBackBuffer(context) != DD_OK) {
        return;
    }
    CopyRows(static_cast<std::uint8_t*>(context.surfaceDescription.lpSurface),
             context.surfaceDescription.lPitch, context.savedPicture.data(), stereo::kScreenWidth,
             stereo::kScreenWidth, stereo::kScreenHeight);
    UnlockBackBuffer(context);
    RECT screen = kScreenRect;
    context.primarySurface->BltFast(0, 0, context.backBuffer, &screen, DDBLTFAST_NOCOLORKEY);
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
        CopyRows(context.savedTile.data(), stereo::kTileWidth,
                 static_cast<const std::uint8_t*>(tileDescription.lpSurface),
                 tileDescription.lPitch, stereo::kTileWidth, stereo::kTileHeight);
        context.tileSaved = true;
        context.patternTile->Unlock(tileDescription.lpSurface);
    }
    // 9: the depth map and the picture's copy. Running out of memory here
    // fails the set-up.
    try {
        scene.depth.Allocate();
        context.savedPicture.assign(stereo::DepthMap::kSize, 0);
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
        SavePictureRows(context, 0, stereo::kScreenHeight);
        UnlockBackBuffer(context);
    } else if (context.tileSaved) {
        // Both buffers hold the tiled pattern of step 10.
        for (int x = 0; x < stereo::kScreenWidth; x += stereo::kTileWidth) {
            for (int y = 0; y < stereo::kScreenHeight; y += stereo::kTileHeight) {
                CopyRows(context.savedPicture.data() + y * stereo::kScreenWidth + x,
                         stereo::kScreenWidth, context.savedTile.data(), stereo::kTileWidth,
                         stereo::kTileWidth, stereo::kTileHeight);
            }
        }
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

void SavePictureRows(DisplayContext& context, int firstRow, int rowCount) {
    const int first = std::max(firstRow, 0);
    const int end = std::min(firstRow + rowCount, stereo::kScreenHeight);
    if (first >= end || context.savedPicture.size() != stereo::DepthMap::kSize ||
        context.surfaceDescription.lpSurface == nullptr) {
        return;
    }
    const std::ptrdiff_t pitch = context.surfaceDescription.lPitch;
    CopyRows(
        context.savedPicture.data() + static_cast<std::ptrdiff_t>(first) * stereo::kScreenWidth,
        stereo::kScreenWidth,
        static_cast<const std::uint8_t*>(context.surfaceDescription.lpSurface) + first * pitch,
        pitch, stereo::kScreenWidth, end - first);
}

bool RecoverLostSurfaces(DisplayContext& context) {
    if (context.primarySurface == nullptr || context.backBuffer == nullptr) {
        return false;
    }
    const bool tileLost = Lost(context.patternTile);
    const bool screenLost = Lost(context.primarySurface) || Lost(context.backBuffer);
    if (!tileLost && !screenLost) {
        return false;
    }
    // A refused restore means another program still holds the screen.
    if (tileLost) {
        if (context.patternTile->Restore() != DD_OK) {
            return false;
        }
        PutBackTile(context);
    }
    if (screenLost) {
        if (context.primarySurface->Restore() != DD_OK) {
            return false;
        }
        PutBackPicture(context);
        ReattachPalette(context.flickerPalettes, context.primarySurface);
    }
    return true;
}

void RebuildPicture(DisplayContext& context, stereo::Scene& scene) {
    RebuildRows(context, scene, std::vector<bool>(stereo::kScreenHeight, true));
}

bool RebuildRows(DisplayContext& context, stereo::Scene& scene, const std::vector<bool>& rows) {
    HRESULT locked = LockBackBuffer(context);
    if (locked == DDERR_SURFACELOST && RecoverLostSurfaces(context)) {
        locked = LockBackBuffer(context);
    }
    if (locked != DD_OK) {
        return false;
    }
    const stereo::Picture picture{static_cast<std::uint8_t*>(context.surfaceDescription.lpSurface),
                                  context.surfaceDescription.lPitch};
    const int count = std::min<int>(stereo::kScreenHeight, static_cast<int>(rows.size()));
    for (int y = 0; y < count; ++y) {
        if (rows[y]) {
            stereo::ResynthesizeRows(scene, picture, y, 1);
            SavePictureRows(context, y, 1);
        }
    }
    UnlockBackBuffer(context);
    RECT screen = kScreenRect;
    context.primarySurface->BltFast(0, 0, context.backBuffer, &screen, DDBLTFAST_NOCOLORKEY);
    return true;
}

void PresentFrame(DisplayContext& context, std::int32_t flickerMode, std::uint32_t& frameCount) {
    if (context.primarySurface != nullptr) {
        RECT screen = kScreenRect;
        const HRESULT copied = context.primarySurface->BltFast(0, 0, context.backBuffer, &screen,
                                                               DDBLTFAST_NOCOLORKEY);
        AdvanceFlicker(context.flickerPalettes, context.primarySurface, flickerMode);
        const HRESULT flipped = context.primarySurface->Flip(nullptr, 0);
        // A restored screen gets the last picture on both buffers, which is
        // what the flip would have shown.
        if (copied == DDERR_SURFACELOST || flipped == DDERR_SURFACELOST) {
            RecoverLostSurfaces(context);
        }
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
    context.flickerPalettes.onScreen = -1;
}

}  // namespace velmora::display
