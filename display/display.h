#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "display/flicker.h"
#include "platform/ddraw/ddraw.h"
#include "platform/window/kernel.h"
#include "stereo/scene.h"

namespace velmora::display {

// Every display object of the run, from set-up to teardown.
struct DisplayContext {
    platform::IDirectDraw* directDraw = nullptr;
    platform::IDirectDrawSurface* primarySurface = nullptr;
    platform::IDirectDrawSurface* backBuffer = nullptr;
    platform::IDirectDrawSurface* patternTile = nullptr;
    FlickerPalettes flickerPalettes;
    // Shared by the primary's creation and every lock of the back buffer.
    platform::DDSURFACEDESC surfaceDescription;
    // System-memory copies of what lost surfaces take with them: the last
    // picture (stride 640), kept current row by row, and the filled tile.
    std::vector<std::uint8_t> savedPicture;
    std::array<std::uint8_t, stereo::kTileWidth * stereo::kTileHeight> savedTile{};
    bool tileSaved = false;
};

// What set-up needs from outside the display.
struct DisplaySetUp {
    platform::DisplayDriver& device;  // the default display driver
    platform::Kernel& kernel;
    platform::HWND window = 0;
    std::uint32_t calendarSeconds = 0;  // seeds the random generator
};

// Takes the screen, builds palettes and the pattern tile, allocates the depth
// map, covers both buffers with the tile and draws the first picture. False
// when a step that must succeed fails; the caller then releases everything.
bool SetUpDisplay(DisplayContext& context, const DisplaySetUp& setUp, stereo::Scene& scene);

// Locks the whole back buffer into the shared description.
platform::HRESULT LockBackBuffer(DisplayContext& context);
platform::HRESULT UnlockBackBuffer(DisplayContext& context);

// Copies rows of the locked back buffer into the saved picture; called after
// drawing them, before the unlock.
void SavePictureRows(DisplayContext& context, int firstRow, int rowCount);

// When a surface reports itself lost: restores the primary (with its back
// buffer) and the tile, puts back the saved tile and picture (on both
// buffers) and the palette that was on screen. True when lost surfaces
// were brought back; false when none was lost or the screen is still taken
// (a later call tries again).
bool RecoverLostSurfaces(DisplayContext& context);

// Rebuilds every row of the picture from the depth map and shows it on both
// buffers, as after a presented frame (no flicker step, no frame counted).
// Nothing changes when the back buffer cannot be locked.
void RebuildPicture(DisplayContext& context, stereo::Scene& scene);

// The same for the rows marked in `rows` (one flag per screen row) only;
// false, and nothing changes, when the back buffer cannot be locked.
bool RebuildRows(DisplayContext& context, stereo::Scene& scene, const std::vector<bool>& rows);

// Copies the back buffer onto the primary, takes a flicker step, flips and
// counts the frame; a loss reported by the blit or the flip is recovered.
void PresentFrame(DisplayContext& context, std::int32_t flickerMode, std::uint32_t& frameCount);

// Releases the display objects in their fixed order; safe to call again.
void ReleaseDisplayObjects(DisplayContext& context);

}  // namespace velmora::display
