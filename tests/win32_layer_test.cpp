// The Windows layers against the real system, under Wine or on Windows: what
// crosses the boundary, the procedure trampoline, resources, DirectDraw.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "platform/win32/win32_ddraw.h"
#include "platform/win32/win32_gdi.h"
#include "platform/win32/win32_kernel.h"
#include "platform/win32/win32_window_system.h"
// Last: it defines many of the names above as macros.
#include "platform/win32/convert.h"

namespace velmora::platform::win32 {
namespace {

TEST(Win32Boundary, RecordsAndTheClockCrossIntact) {
    // Every byte different: a field dropped or misplaced either way shows.
    platform::DDSURFACEDESC ours;
    for (std::size_t i = 0; i < sizeof(ours); ++i) {
        reinterpret_cast<std::uint8_t*>(&ours)[i] = static_cast<std::uint8_t>(i + 1);
    }
    ours.dwSize = sizeof(ours);
    const ::DDSURFACEDESC system = ToSystem(ours);
    EXPECT_EQ(system.dwSize, sizeof(::DDSURFACEDESC));
    EXPECT_EQ(system.lpSurface, ours.lpSurface);
    const platform::DDSURFACEDESC back = FromSystem(system);
    EXPECT_EQ(std::memcmp(&back, &ours, sizeof(ours)), 0);

    const platform::DWORD flags[] = {DDPCAPS_4BIT,
                                     DDPCAPS_2BIT,
                                     DDPCAPS_1BIT,
                                     DDPCAPS_ALLOW256,
                                     DDPCAPS_8BIT | DDPCAPS_ALLOW256,
                                     DDPCAPS_8BIT | DDPCAPS_8BITENTRIES};
    const std::size_t entries[] = {16, 4, 2, 0, 256, 0};
    for (std::size_t i = 0; i < std::size(flags); ++i) {
        EXPECT_EQ(PaletteEntryCount(flags[i]), entries[i]) << std::hex << flags[i];
    }

    // The millisecond part may go down; the count wraps at 32 bits.
    EXPECT_EQ(MillisecondsBetween({1000, 900}, {1001, 100}), 200);
    EXPECT_EQ(MillisecondsBetween({5, 0}, {5 + 2147484, 0}), -2147483296);
}

TEST(Win32WindowSystem, MessagesReachTheClassProcedureAndComeBackWhole) {
    Win32WindowSystem windows;
    std::vector<platform::MSG> seen;
    platform::WNDCLASSA windowClass;
    windowClass.lpfnWndProc = [&](platform::HWND w, platform::UINT m, platform::WPARAM wp,
                                  platform::LPARAM lp) -> platform::LRESULT {
        seen.push_back({w, m, wp, lp});
        return m == 0x8001 ? 42 : windows.DefWindowProcA(w, m, wp, lp);
    };
    windowClass.lpszClassName = "VelmoraLayerTest";
    ASSERT_NE(windows.RegisterClassA(windowClass), 0);
    // Message-only (parent HWND_MESSAGE): no screen needed. The name's case differs.
    const platform::HWND window = windows.CreateWindowExA(0, "velmoralayertest", "", 0, 0, 0, 0, 0,
                                                          ~platform::HWND{2}, 0, 0, nullptr);
    ASSERT_NE(window, 0U);
    EXPECT_TRUE(windows.UpdateWindow(window));
    const platform::MSG sent[] = {{window, 0x8001, ~0ULL, -5},
                                  {window, WM_MOUSEMOVE, MK_LBUTTON, 0x01E0027F}};
    for (const platform::MSG& m : sent) {
        ASSERT_TRUE(windows.PostMessageA(m.hwnd, m.message, m.wParam, m.lParam));
    }
    platform::MSG message;
    ASSERT_TRUE(windows.PeekMessageA(&message, 0, 0, 0, PM_NOREMOVE));
    for (const platform::MSG& m : sent) {
        ASSERT_GT(windows.GetMessageA(&message, 0, 0, 0), 0);
        windows.TranslateMessage(&message);
        EXPECT_EQ(windows.DispatchMessageA(&message), m.message == 0x8001 ? 42 : 0);
        ASSERT_FALSE(seen.empty());
        const platform::MSG& got = seen.back();
        EXPECT_EQ(std::tie(got.hwnd, got.message, got.wParam, got.lParam),
                  std::tie(m.hwnd, m.message, m.wParam, m.lParam));
    }
    ASSERT_TRUE(windows.DestroyWindow(window));
    windows.PostQuitMessage(7);
    EXPECT_EQ(windows.GetMessageA(&message, 0, 0, 0), 0);
    EXPECT_EQ(message.wParam, 7U);
    EXPECT_EQ(SystemHandle<::HCURSOR>(windows.LoadCursorA(0, 32512)),
              ::LoadCursorA(nullptr, IDC_ARROW));
}

TEST(Win32Kernel, ResourcesAndImagesOfTheExecutable) {
    Win32Kernel kernel;
    Win32Gdi gdi;
    const platform::HMODULE self = kernel.GetModuleHandleA(nullptr);
    const platform::HRSRC resource = kernel.FindResourceA(0, "ALL", 2);
    ASSERT_NE(resource, 0U);
    const std::uint8_t* info = kernel.LockResource(kernel.LoadResource(0, resource));
    const platform::DWORD size = kernel.SizeofResource(0, resource);
    ASSERT_EQ(size, 10664U);  // no file header
    EXPECT_EQ(kernel.FindResourceA(0, nullptr, 2), 0U);
    EXPECT_EQ(info[0], 40);

    const platform::HBITMAP bitmap = kernel.LoadImageA(gdi, self, "ALL", 0, 0, 0, 0x2000);
    platform::BITMAP record;
    ASSERT_EQ(gdi.GetObjectA(bitmap, sizeof(record), &record), 24);
    EXPECT_EQ(std::tuple(record.bmWidth, record.bmHeight, record.bmPlanes, record.bmBitsPixel),
              std::tuple(80, 120, 1, 8));
    EXPECT_EQ(gdi.GetObjectA(bitmap, 20, &record), 0);  // too small for the record
    EXPECT_EQ(gdi.GetObjectA(bitmap, 0, nullptr), 24);
    EXPECT_TRUE(gdi.DeleteObject(bitmap));
}

// Off-screen surfaces at the normal cooperative level: what the real
// DirectDraw gives without taking the screen.
TEST(Win32DirectDraw, WrappersForwardAndEndWithTheirObject) {
    Win32Gdi gdi;
    Win32DisplayDriver driver(gdi);
    platform::IDirectDraw* directDraw = nullptr;
    if (driver.DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK) {
        GTEST_SKIP() << "no DirectDraw on this system";
    }
    ASSERT_EQ(directDraw->SetCooperativeLevel(0, DDSCL_NORMAL), DD_OK);
    platform::DDSURFACEDESC description;
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.dwWidth = 80;
    description.dwHeight = 120;
    description.ddpfPixelFormat = {32, DDPF_RGB, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0};
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    platform::IDirectDrawSurface* source = nullptr;
    platform::IDirectDrawSurface* target = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&description, &source, nullptr), DD_OK);
    ASSERT_EQ(directDraw->CreateSurface(&description, &target, nullptr), DD_OK);
    // Refused: a description of another size, a palette read into nothing.
    description.dwSize = 100;
    EXPECT_EQ(directDraw->CreateSurface(&description, &source, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(target->GetSurfaceDesc(&description), DDERR_INVALIDPARAMS);
    platform::PALETTEENTRY colours[256] = {};
    platform::IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, colours, &palette, nullptr), DD_OK);
    EXPECT_EQ(palette->GetEntries(0, 0, 1, nullptr), DDERR_INVALIDPARAMS);

    // Row 7 of the source, through a locked rectangle, blitted to row 100.
    platform::DDSURFACEDESC locked;
    locked.dwSize = sizeof(locked);
    const platform::RECT band{0, 7, 80, 8};
    ASSERT_EQ(source->Lock(&band, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    std::memset(locked.lpSurface, 0x5A, 80 * 4);
    EXPECT_EQ(source->Unlock(locked.lpSurface), DD_OK);
    EXPECT_EQ(target->BltFast(0, 100, source, &band, 0), DD_OK);
    EXPECT_EQ(target->BltFast(0, 0, nullptr, &band, 0), DDERR_INVALIDPARAMS);
    ASSERT_EQ(target->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    const auto* row = static_cast<std::uint8_t*>(locked.lpSurface) + 100 * locked.lPitch;
    EXPECT_EQ(std::count(row, row + 80 * 4, 0x5A), 80 * 4);
    EXPECT_EQ(std::count(row - locked.lPitch, row + locked.lPitch, 0x5A), 80 * 4);
    EXPECT_EQ(target->Unlock(locked.lpSurface), DD_OK);
    platform::HDC dc = 0;
    ASSERT_EQ(target->GetDC(&dc), DD_OK);
    EXPECT_EQ(target->ReleaseDC(dc), DD_OK);

    // A released surface refuses calls; the object's release ends the rest.
    EXPECT_EQ(source->Release(), 0U);
    EXPECT_EQ(source->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_INVALIDOBJECT);
    EXPECT_EQ(target->BltFast(0, 0, source, &band, 0), DDERR_INVALIDOBJECT);
    EXPECT_EQ(directDraw->Release(), 0U);
    EXPECT_EQ(target->GetSurfaceDesc(&locked), DDERR_INVALIDOBJECT);
    EXPECT_EQ(target->Release(), 0U);
}

}  // namespace
}  // namespace velmora::platform::win32
