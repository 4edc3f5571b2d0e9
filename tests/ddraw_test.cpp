#include <gtest/gtest.h>

#include "platform/ddraw/memory.h"
#include "platform/ddraw/memory_gdi.h"
#include "tests/bitmap_support.h"

namespace velmora::platform {
namespace {

using test::Description;
using test::PixelsOf;
using test::Rig;
using Results = std::vector<HRESULT>;

TEST(DirectDrawLayer, LockBltFastAndFlipCheckTheirArgumentsAndCopyExactly) {
    Rig rig(672);
    IDirectDrawSurface* back = rig.back;
    IDirectDrawSurface* tile = rig.Surface(80, 120);
    const std::ptrdiff_t pitch = InMemory(tile)->Pitch();
    EXPECT_EQ(pitch, 80 + 32) << "every surface gets the same padding per row";
    for (int i = 0; i < 120 * pitch; ++i) {
        InMemory(tile)->MutablePixels()[i] = static_cast<std::uint8_t>(i % pitch + 3 * (i / pitch));
    }
    DDSURFACEDESC d = Description(), full = Description(), bad = Description();
    bad.dwSize = 100;
    const RECT r[] = {{10, 20, 30, 40}, {0, 0, 641, 480}, {-1, 0, 10, 10},
                      {5, 5, 5, 6},     {0, 0, 640, 481}, {0, 0, 80, 120},
                      {10, 20, 15, 22}, {0, 0, 81, 120},  {10, 10, 5, 20}};
    EXPECT_EQ((Results{back->Lock(&r[1], &d, 1, nullptr), back->Lock(&r[2], &d, 1, nullptr),
                       back->Lock(&r[3], &d, 1, nullptr), back->Lock(&r[4], &d, 1, nullptr),
                       back->Lock(nullptr, &bad, 1, nullptr),
                       back->Lock(nullptr, nullptr, 1, nullptr), back->Unlock(nullptr),
                       back->Lock(&r[0], &d, 1, nullptr), back->BltFast(0, 0, tile, &r[5], 0),
                       rig.primary->Flip(nullptr, 0), back->Unlock(nullptr),
                       back->Lock(nullptr, &full, 1, nullptr), back->Unlock(nullptr)}),
              (Results{DDERR_INVALIDRECT, DDERR_INVALIDRECT, DDERR_INVALIDRECT, DDERR_INVALIDRECT,
                       DDERR_INVALIDPARAMS, DDERR_INVALIDPARAMS, DDERR_NOTLOCKED, DD_OK,
                       DDERR_SURFACEBUSY, DDERR_SURFACEBUSY, DD_OK, DD_OK, DD_OK}));
    EXPECT_EQ((std::vector<const void*>{d.lpSurface, full.lpSurface}),
              (std::vector<const void*>{InMemory(back)->Pixels() + 20 * 672 + 10,
                                        InMemory(back)->Pixels()}));
    EXPECT_EQ(d.lPitch, 672);

    EXPECT_EQ((Results{back->BltFast(560, 360, tile, &r[5], 0), back->BltFast(0, 0, tile, &r[6], 0),
                       back->BltFast(561, 0, tile, &r[5], 0), back->BltFast(0, 361, tile, &r[5], 0),
                       back->BltFast(~0U, 0, tile, &r[5], 0), back->BltFast(0, 0, tile, &r[7], 0),
                       back->BltFast(0, 0, tile, &r[8], 0), back->BltFast(0, 0, nullptr, &r[5], 0),
                       tile->Lock(nullptr, &d, 1, nullptr), back->BltFast(0, 0, tile, &r[5], 0),
                       back->Flip(nullptr, 0)}),
              (Results{DD_OK, DD_OK, DDERR_INVALIDRECT, DDERR_INVALIDRECT, DDERR_INVALIDRECT,
                       DDERR_INVALIDRECT, DDERR_INVALIDRECT, DDERR_INVALIDPARAMS, DD_OK,
                       DDERR_SURFACEBUSY, DDERR_NOTFLIPPABLE}));
    std::vector<std::uint8_t> expected(640 * 480, 0);
    for (auto [x0, y0, from] : {std::tuple{560, 360, r[5]}, std::tuple{0, 0, r[6]}}) {
        for (int i = 0; i < (from.right - from.left) * (from.bottom - from.top); ++i) {
            const int w = from.right - from.left;
            expected[(y0 + i / w) * 640 + x0 + i % w] =
                static_cast<std::uint8_t>(from.left + i % w + 3 * (from.top + i / w));
        }
    }
    // The flip shows the back buffer, and the back reference names the other one.
    const std::uint8_t* front = InMemory(rig.primary)->Pixels();
    const auto generation = rig.device.ScreenGeneration();
    ASSERT_EQ(rig.primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(PixelsOf(rig.primary), expected);
    EXPECT_EQ(InMemory(back)->Pixels(), front);
    EXPECT_GT(rig.device.ScreenGeneration(), generation) << "what the screen shows changed";
    ASSERT_EQ(back->BltFast(0, 0, rig.primary, nullptr, 0), DD_OK);
    EXPECT_EQ(PixelsOf(back), expected) << "a whole surface onto another";

    // Too large off-screen surfaces fail like a full video memory; so does an
    // armed fault, whose plan a later arming replaces.
    rig.faults.Arm(Operation::kCreateSurface, 5);
    rig.faults.Arm(Operation::kCreateSurface, 1, 3);
    const auto create = [&](DWORD width, DWORD height) {
        DDSURFACEDESC description = Description(width, height);
        IDirectDrawSurface* made = nullptr;
        return rig.dd->CreateSurface(&description, &made, nullptr);
    };
    EXPECT_EQ(
        (Results{create(100000, 1), create(4096, 4096), create(1, 0), create(4, 4), create(4, 4)}),
        (Results{DDERR_OUTOFVIDEOMEMORY, DDERR_OUTOFVIDEOMEMORY, DDERR_INVALIDPARAMS,
                 DDERR_OUTOFVIDEOMEMORY, DD_OK}));
}

TEST(DirectDrawLayer, LossRestoreModeRulesAndReleaseChains) {
    Rig rig;
    IDirectDrawSurface* tile = rig.Surface(80, 120);
    PALETTEENTRY entries[256] = {};
    entries[209] = PALETTEENTRY{1, 2, 3, 0};
    IDirectDrawPalette *a = nullptr, *b = nullptr;
    rig.dd->CreatePalette(DDPCAPS_8BIT, entries, &a, nullptr);
    rig.dd->CreatePalette(DDPCAPS_8BIT, entries, &b, nullptr);
    ASSERT_EQ(rig.primary->SetPalette(a), DD_OK);
    rig.device.LoseSurfaces();
    EXPECT_EQ(rig.device.ScreenPalette(), nullptr) << "the colours go with the memory";
    // A back buffer comes back only with its primary, other surfaces on their own.
    DDSURFACEDESC d = Description();
    rig.faults.Arm(Operation::kRestore, 2, 1);
    rig.faults.Arm(Operation::kSetPalette, 1);
    IDirectDraw* other = nullptr;
    IDirectDrawSurface* extra = nullptr;
    rig.device.DirectDrawCreate(nullptr, &other, nullptr);
    PALETTEENTRY out[256] = {};
    EXPECT_EQ((Results{rig.back->Lock(nullptr, &d, 1, nullptr), rig.primary->Flip(nullptr, 0),
                       rig.back->Restore(), rig.primary->Restore(), rig.primary->Restore(),
                       rig.back->IsLost(), rig.primary->Restore(), rig.back->IsLost(),
                       tile->IsLost(), rig.primary->SetPalette(b)}),
              (Results{DDERR_SURFACELOST, DDERR_SURFACELOST, DDERR_IMPLICITLYCREATED, DDERR_GENERIC,
                       DDERR_GENERIC, DDERR_SURFACELOST, DD_OK, DD_OK, DDERR_SURFACELOST,
                       DDERR_SURFACELOST}));
    EXPECT_EQ(
        (Results{other->SetDisplayMode(640, 480, 8), other->SetCooperativeLevel(0, 0x11),
                 other->SetCooperativeLevel(3, 0x11), rig.dd->SetDisplayMode(640, 480, 8),
                 rig.dd->SetDisplayMode(800, 600, 8), rig.dd->SetDisplayMode(640, 480, 16),
                 rig.dd->CreateSurface(&d, &extra, nullptr), a->GetEntries(0, 200, 57, out),
                 a->GetEntries(0, ~0U, 2, out), a->GetEntries(0, 200, 56, out)}),
        (Results{DDERR_NOEXCLUSIVEMODE, DDERR_INVALIDPARAMS, DDERR_EXCLUSIVEMODEALREADYSET, DD_OK,
                 DDERR_UNSUPPORTEDMODE, DDERR_UNSUPPORTEDMODE, DDERR_PRIMARYSURFACEALREADYEXISTS,
                 DDERR_INVALIDPARAMS, DDERR_INVALIDPARAMS, DD_OK}));
    EXPECT_EQ(out[9], entries[209]);
    EXPECT_TRUE(rig.device.ScreenPalette() == nullptr && InMemory(b)->References() == 1U)
        << "a refused attach changes nothing";

    // An attached palette outlives its maker's reference; the primary ends its back buffer.
    ASSERT_EQ(rig.primary->SetPalette(b), DD_OK);
    EXPECT_EQ((std::vector<ULONG>{InMemory(a)->References(), b->Release(), rig.back->Release(),
                                  rig.primary->Release()}),
              (std::vector<ULONG>{1, 1, 1, 0}));
    EXPECT_EQ((std::vector<bool>{InMemory(rig.back)->Alive(), InMemory(b)->Alive(),
                                 InMemory(a)->Alive(), rig.device.Primary() != nullptr}),
              (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(rig.back->Lock(nullptr, &d, 0, nullptr), DDERR_INVALIDOBJECT);
    // Releasing the DirectDraw object ends every surface and palette it made.
    EXPECT_EQ((std::vector<std::size_t>{rig.dd->Release(), rig.device.LiveSurfaces(),
                                        rig.device.LivePalettes(), rig.device.LiveDirectDraws(),
                                        tile->Release()}),
              (std::vector<std::size_t>{0, 0, 0, 1, 0}));
    EXPECT_EQ(rig.device.ExclusiveOwner(), nullptr);
}

}  // namespace
}  // namespace velmora::platform
