#include <gtest/gtest.h>

#include <cstring>

#include "platform/ddraw/memory.h"
#include "platform/ddraw/memory_gdi.h"

namespace velmora::platform {
namespace {

DDSURFACEDESC PrimaryDescription() {
    DDSURFACEDESC d;
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    d.dwBackBufferCount = 1;
    return d;
}

DDSURFACEDESC OffscreenDescription(DWORD width, DWORD height) {
    DDSURFACEDESC d;
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = width;
    d.dwHeight = height;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    return d;
}

struct Display {
    FaultInjector faults;
    DisplayDevice device;
    IDirectDraw* dd = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;

    explicit Display(std::ptrdiff_t pitch = 640) : device(faults, pitch) {
        EXPECT_EQ(device.DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
        EXPECT_EQ(dd->SetCooperativeLevel(7, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
        EXPECT_EQ(dd->SetDisplayMode(640, 480, 8), DD_OK);
        DDSURFACEDESC d = PrimaryDescription();
        EXPECT_EQ(dd->CreateSurface(&d, &primary, nullptr), DD_OK);
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        EXPECT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    }

    DDSURFACEDESC Lock(IDirectDrawSurface* s, const RECT* rect = nullptr) {
        DDSURFACEDESC d;
        d.dwSize = sizeof(d);
        EXPECT_EQ(s->Lock(rect, &d, DDLOCK_WAIT, nullptr), DD_OK);
        return d;
    }
};

TEST(DirectDrawLayer, LockGivesAddressAndPitchAndGuardsItsArguments) {
    Display display(704);
    DDSURFACEDESC d = display.Lock(display.back);
    EXPECT_EQ(d.lPitch, 704);
    EXPECT_EQ(d.dwWidth, 640U);
    EXPECT_EQ(d.dwHeight, 480U);
    EXPECT_EQ(d.lpSurface, InMemory(display.back)->Pixels());
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 8U);

    DDSURFACEDESC again;
    again.dwSize = sizeof(again);
    EXPECT_EQ(display.back->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(display.back->Unlock(d.lpSurface), DD_OK);
    EXPECT_EQ(display.back->Unlock(d.lpSurface), DDERR_NOTLOCKED);

    const RECT inner{10, 20, 30, 40};
    d = display.Lock(display.back, &inner);
    EXPECT_EQ(static_cast<const std::uint8_t*>(d.lpSurface),
              InMemory(display.back)->Pixels() + 20 * 704 + 10);
    display.back->Unlock(d.lpSurface);

    DDSURFACEDESC bad;
    bad.dwSize = 100;
    EXPECT_EQ(display.back->Lock(nullptr, &bad, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(display.back->Lock(nullptr, nullptr, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    for (const RECT r :
         {RECT{0, 0, 641, 480}, RECT{-1, 0, 10, 10}, RECT{5, 5, 5, 6}, RECT{0, 0, 640, 481}}) {
        DDSURFACEDESC x;
        x.dwSize = sizeof(x);
        EXPECT_EQ(display.back->Lock(&r, &x, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
    }
    EXPECT_FALSE(InMemory(display.back)->Locked());

    // Off-screen surfaces get the same padding per row.
    DDSURFACEDESC tile = OffscreenDescription(80, 120);
    IDirectDrawSurface* s = nullptr;
    ASSERT_EQ(display.dd->CreateSurface(&tile, &s, nullptr), DD_OK);
    EXPECT_EQ(InMemory(s)->Pitch(), 80 + 64);
    DDSURFACEDESC huge = OffscreenDescription(100000, 100000);
    EXPECT_EQ(display.dd->CreateSurface(&huge, &s, nullptr), DDERR_OUTOFVIDEOMEMORY);
    DDSURFACEDESC empty = OffscreenDescription(0, 10);
    EXPECT_EQ(display.dd->CreateSurface(&empty, &s, nullptr), DDERR_INVALIDPARAMS);
}

TEST(DirectDrawLayer, FlipExchangesFrontAndBack) {
    Display display;
    DDSURFACEDESC d = display.Lock(display.back);
    static_cast<std::uint8_t*>(d.lpSurface)[5] = 42;
    display.back->Unlock(d.lpSurface);
    const std::uint8_t* oldFront = InMemory(display.primary)->Pixels();
    const auto generation = display.device.ScreenGeneration();

    ASSERT_EQ(display.primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(InMemory(display.primary)->Pixels()[5], 42);
    EXPECT_EQ(InMemory(display.back)->Pixels(), oldFront)
        << "the back reference names the other buffer";
    EXPECT_EQ(display.device.Primary(), display.primary);
    EXPECT_GT(display.device.ScreenGeneration(), generation);

    EXPECT_EQ(display.back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    d = display.Lock(display.back);
    EXPECT_EQ(display.primary->Flip(nullptr, 0), DDERR_SURFACEBUSY);
    display.back->Unlock(d.lpSurface);
}

TEST(DirectDrawLayer, BltFastChecksBothRectanglesAndCopiesExactly) {
    Display display(672);
    DDSURFACEDESC tileDesc = OffscreenDescription(80, 120);
    IDirectDrawSurface* tile = nullptr;
    ASSERT_EQ(display.dd->CreateSurface(&tileDesc, &tile, nullptr), DD_OK);
    DDSURFACEDESC d = display.Lock(tile);
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 80; ++x) {
            static_cast<std::uint8_t*>(d.lpSurface)[y * d.lPitch + x] =
                static_cast<std::uint8_t>(x + y);
        }
    }
    tile->Unlock(d.lpSurface);

    const RECT whole{0, 0, 80, 120};
    ASSERT_EQ(display.back->BltFast(560, 360, tile, &whole, DDBLTFAST_NOCOLORKEY), DD_OK);
    const std::uint8_t* p = InMemory(display.back)->Pixels();
    EXPECT_EQ(p[360 * 672 + 560], 0);
    EXPECT_EQ(p[479 * 672 + 639], 79 + 119);
    EXPECT_EQ(p[479 * 672 + 559], 0) << "left of the blit untouched";

    const std::vector<std::uint8_t> before(p, p + 672 * 480);
    EXPECT_EQ(display.back->BltFast(561, 0, tile, &whole, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(display.back->BltFast(0, 361, tile, &whole, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(display.back->BltFast(0xFFFFFFFFU, 0, tile, &whole, 0), DDERR_INVALIDRECT);
    const RECT outside{0, 0, 81, 120};
    EXPECT_EQ(display.back->BltFast(0, 0, tile, &outside, 0), DDERR_INVALIDRECT);
    const RECT inverted{10, 10, 5, 20};
    EXPECT_EQ(display.back->BltFast(0, 0, tile, &inverted, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(display.back->BltFast(0, 0, nullptr, &whole, 0), DDERR_INVALIDPARAMS);
    d = display.Lock(tile);
    EXPECT_EQ(display.back->BltFast(0, 0, tile, &whole, 0), DDERR_SURFACEBUSY);
    tile->Unlock(d.lpSurface);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), InMemory(display.back)->Pixels()));

    // Back buffer onto the primary: the whole screen.
    const RECT screen{0, 0, 640, 480};
    ASSERT_EQ(display.primary->BltFast(0, 0, display.back, &screen, 0), DD_OK);
    EXPECT_EQ(InMemory(display.primary)->Pixels()[479 * 672 + 639], 79 + 119);
}

TEST(DirectDrawLayer, ReleaseChainsEndEverythingMadeFromTheObject) {
    Display display;
    IDirectDrawPalette* a = nullptr;
    IDirectDrawPalette* b = nullptr;
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(display.dd->CreatePalette(DDPCAPS_8BIT, entries, &a, nullptr), DD_OK);
    ASSERT_EQ(display.dd->CreatePalette(DDPCAPS_8BIT, entries, &b, nullptr), DD_OK);
    ASSERT_EQ(display.primary->SetPalette(a), DD_OK);
    EXPECT_EQ(InMemory(a)->References(), 2U);
    ASSERT_EQ(display.primary->SetPalette(b), DD_OK);
    EXPECT_EQ(InMemory(a)->References(), 1U);
    EXPECT_EQ(display.device.ScreenPalette(), b);

    // A palette released by its maker lives on while attached.
    EXPECT_EQ(b->Release(), 1U);
    EXPECT_TRUE(InMemory(b)->Alive());
    // The primary takes its back buffer and its palette reference with it.
    EXPECT_EQ(display.primary->Release(), 0U);
    EXPECT_FALSE(InMemory(display.back)->Alive());
    EXPECT_FALSE(InMemory(b)->Alive());
    EXPECT_TRUE(InMemory(a)->Alive());
    EXPECT_EQ(display.device.Primary(), nullptr);
    DDSURFACEDESC d;
    d.dwSize = sizeof(d);
    EXPECT_EQ(display.back->Lock(nullptr, &d, 0, nullptr), DDERR_INVALIDOBJECT);

    DDSURFACEDESC tileDesc = OffscreenDescription(8, 8);
    IDirectDrawSurface* tile = nullptr;
    ASSERT_EQ(display.dd->CreateSurface(&tileDesc, &tile, nullptr), DD_OK);
    EXPECT_EQ(display.device.LiveSurfaces(), 1U);
    // Releasing the DirectDraw object ends every surface and palette it made.
    EXPECT_EQ(display.dd->Release(), 0U);
    EXPECT_EQ(display.device.LiveSurfaces(), 0U);
    EXPECT_EQ(display.device.LivePalettes(), 0U);
    EXPECT_EQ(display.device.LiveDirectDraws(), 0U);
    EXPECT_EQ(display.device.ExclusiveOwner(), nullptr);
    EXPECT_EQ(tile->Release(), 0U);
    EXPECT_EQ(a->SetEntries(0, 0, 256, entries), DDERR_INVALIDOBJECT);
}

TEST(DirectDrawLayer, LostSurfacesRefuseEverythingUntilRestored) {
    Display display;
    DDSURFACEDESC tileDesc = OffscreenDescription(80, 120);
    IDirectDrawSurface* tile = nullptr;
    ASSERT_EQ(display.dd->CreateSurface(&tileDesc, &tile, nullptr), DD_OK);
    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(display.dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    ASSERT_EQ(display.primary->SetPalette(palette), DD_OK);
    DDSURFACEDESC d = display.Lock(display.back);
    static_cast<std::uint8_t*>(d.lpSurface)[5] = 9;
    display.back->Unlock(d.lpSurface);

    display.device.LoseSurfaces();
    EXPECT_EQ(InMemory(display.back)->Pixels()[5], 0) << "the memory is gone";
    EXPECT_EQ(display.device.ScreenPalette(), nullptr) << "and the colours with it";
    EXPECT_EQ(display.back->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(display.primary->Flip(nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(display.back->Restore(), DDERR_IMPLICITLYCREATED) << "only with its primary";
    display.faults.Arm(Operation::kRestore, 1);
    EXPECT_EQ(display.primary->Restore(), DDERR_GENERIC);
    EXPECT_EQ(display.back->IsLost(), DDERR_SURFACELOST);
    ASSERT_EQ(display.primary->Restore(), DD_OK);
    EXPECT_EQ(display.back->IsLost(), DD_OK);
    EXPECT_EQ(tile->IsLost(), DDERR_SURFACELOST) << "every other surface restores itself";
}

TEST(DirectDrawLayer, ModeAndCooperativeLevelRules) {
    FaultInjector faults;
    DisplayDevice device(faults);
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(device.DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    EXPECT_EQ(dd->SetDisplayMode(640, 480, 8), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(dd->SetCooperativeLevel(0, 0x11), DDERR_INVALIDPARAMS);
    ASSERT_EQ(dd->SetCooperativeLevel(3, 0x11), DD_OK);
    EXPECT_EQ(dd->SetDisplayMode(800, 600, 8), DDERR_UNSUPPORTEDMODE);
    EXPECT_EQ(dd->SetDisplayMode(640, 480, 16), DDERR_UNSUPPORTEDMODE);
    EXPECT_EQ(dd->SetDisplayMode(640, 480, 8), DD_OK);
    IDirectDraw* other = nullptr;
    ASSERT_EQ(device.DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
    EXPECT_EQ(other->SetCooperativeLevel(3, 0x11), DDERR_EXCLUSIVEMODEALREADYSET);

    DDSURFACEDESC d = PrimaryDescription();
    IDirectDrawSurface* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&d, &primary, nullptr), DD_OK);
    EXPECT_EQ(dd->CreateSurface(&d, &primary, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);

    IDirectDrawPalette* palette = nullptr;
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    PALETTEENTRY out[256];
    EXPECT_EQ(palette->GetEntries(0, 200, 57, out), DDERR_INVALIDPARAMS);
    EXPECT_EQ(palette->GetEntries(0, 0xFFFFFFFFU, 2, out), DDERR_INVALIDPARAMS);
    entries[9] = PALETTEENTRY{1, 2, 3, 0};
    ASSERT_EQ(palette->SetEntries(0, 0, 256, entries), DD_OK);
    ASSERT_EQ(palette->GetEntries(0, 0, 256, out), DD_OK);
    EXPECT_EQ(out[9], (PALETTEENTRY{1, 2, 3, 0}));
}

TEST(FaultInjection, FailsExactlyTheArmedCallsAndChangesNothing) {
    Display display;
    display.faults.Arm(Operation::kLock, 2, 3);
    std::vector<HRESULT> results;
    for (int i = 0; i < 7; ++i) {
        DDSURFACEDESC d;
        d.dwSize = sizeof(d);
        results.push_back(display.back->Lock(nullptr, &d, DDLOCK_WAIT, nullptr));
        if (results.back() == DD_OK) {
            display.back->Unlock(d.lpSurface);
        } else {
            EXPECT_FALSE(InMemory(display.back)->Locked());
        }
    }
    EXPECT_EQ(results, (std::vector<HRESULT>{DD_OK, DD_OK, DD_OK, DDERR_SURFACELOST,
                                             DDERR_SURFACELOST, DD_OK, DD_OK}));

    // Arming again replaces the earlier plan.
    display.faults.Arm(Operation::kCreateSurface, 5);
    display.faults.Arm(Operation::kCreateSurface, 1);
    const auto live = display.device.LiveSurfaces();
    DDSURFACEDESC d = OffscreenDescription(4, 4);
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(display.dd->CreateSurface(&d, &s, nullptr), DDERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(display.device.LiveSurfaces(), live);
    EXPECT_EQ(display.dd->CreateSurface(&d, &s, nullptr), DD_OK);

    // A refused palette attach leaves the old one on screen.
    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* p = nullptr;
    ASSERT_EQ(display.dd->CreatePalette(DDPCAPS_8BIT, entries, &p, nullptr), DD_OK);
    display.faults.Arm(Operation::kSetPalette, 1);
    EXPECT_NE(display.primary->SetPalette(p), DD_OK);
    EXPECT_EQ(display.device.ScreenPalette(), nullptr);
    EXPECT_EQ(InMemory(p)->References(), 1U);

    EXPECT_EQ(OperationFromName("BltFast"), Operation::kBltFast);
    EXPECT_EQ(OperationFromName("CreateWindow"), Operation::kCreateWindow);
    EXPECT_FALSE(OperationFromName("bltfast").has_value());
    EXPECT_EQ(display.faults.Calls(Operation::kLock), 7U);
}

TEST(MemoryGdi, SelectionDeletionAndClippedStretch) {
    Display display;
    MemoryGdi& gdi = display.device.Graphics();
    DibImage image;
    image.width = 2;
    image.height = 2;
    image.indexed = true;
    image.indexes = {1, 2, 3, 4};
    const HBITMAP bitmap = gdi.CreateDibSection(image);
    const HDC memory = gdi.CreateCompatibleDC(0);
    ASSERT_NE(memory, 0U);
    ASSERT_NE(gdi.SelectObject(memory, bitmap), 0U);
    EXPECT_FALSE(gdi.DeleteObject(bitmap)) << "still selected";

    DDSURFACEDESC d = OffscreenDescription(4, 4);
    IDirectDrawSurface* s = nullptr;
    ASSERT_EQ(display.dd->CreateSurface(&d, &s, nullptr), DD_OK);
    HDC target = 0;
    ASSERT_EQ(s->GetDC(&target), DD_OK);
    DDSURFACEDESC lockDesc;
    lockDesc.dwSize = sizeof(lockDesc);
    EXPECT_EQ(s->Lock(nullptr, &lockDesc, 0, nullptr), DDERR_SURFACEBUSY);
    // Destination partly outside the surface, source partly outside the bitmap.
    EXPECT_TRUE(gdi.StretchBlt(target, -2, 2, 8, 4, memory, 0, 0, 4, 2, SRCCOPY));
    EXPECT_FALSE(gdi.StretchBlt(target, 0, 0, 4, 4, memory, 0, 0, 2, 2, 0x00EE0086));
    ASSERT_EQ(s->ReleaseDC(target), DD_OK);
    const std::uint8_t* p = InMemory(s)->Pixels();
    const std::ptrdiff_t pitch = InMemory(s)->Pitch();
    EXPECT_EQ(p[2 * pitch + 0], 2);  // source column 1 of row 0
    EXPECT_EQ(p[2 * pitch + 1], 2);
    EXPECT_EQ(p[2 * pitch + 2], 0);  // source column 2 lies outside the bitmap
    EXPECT_EQ(p[3 * pitch + 0], 2);  // rows 2 and 3 both sample source row 0
    EXPECT_EQ(p[0], 0);

    EXPECT_TRUE(gdi.DeleteDC(memory));
    EXPECT_TRUE(gdi.DeleteObject(bitmap));
    EXPECT_EQ(gdi.LiveBitmaps(), 0U);
    EXPECT_EQ(gdi.LiveDCs(), 0U);
    EXPECT_EQ(gdi.GetObjectA(bitmap, sizeof(BITMAP), nullptr), 0);
}

}  // namespace
}  // namespace velmora::platform
