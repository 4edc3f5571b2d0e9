// The Windows layers against the real system (run under Wine or on Windows):
// the records that cross the boundary, the handles, the window procedure
// trampoline and message round trip, GDI, the kernel services and the
// executable's resources, and the DirectDraw wrappers' lifetimes.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/win32/win32_ddraw.h"
#include "platform/win32/win32_gdi.h"
#include "platform/win32/win32_kernel.h"
#include "platform/win32/win32_window_system.h"
// Last: it defines many of the names above as macros.
#include "platform/win32/convert.h"

namespace velmora::platform::win32 {
namespace {

TEST(Win32Boundary, SurfaceDescriptionKeepsEveryFieldBothWays) {
    platform::DDSURFACEDESC ours;
    ours.dwSize = sizeof(ours);
    ours.dwFlags = 0x102f;
    ours.dwHeight = 480;
    ours.dwWidth = 640;
    ours.lPitch = -704;
    ours.dwBackBufferCount = 1;
    ours.dwRefreshRate = 60;
    ours.dwAlphaBitDepth = 3;
    std::vector<std::uint8_t> pixels(16);
    ours.lpSurface = pixels.data() + 8;
    ours.ddckCKDestOverlay = {1, 2};
    ours.ddckCKDestBlt = {3, 4};
    ours.ddckCKSrcOverlay = {5, 6};
    ours.ddckCKSrcBlt = {7, 8};
    ours.ddpfPixelFormat = {32, 0x60, 9, 8, 10, 11, 12, 13};
    ours.ddsCaps.dwCaps = 0x218;

    const ::DDSURFACEDESC system = ToSystem(ours);
    EXPECT_EQ(system.dwSize, sizeof(::DDSURFACEDESC));
    EXPECT_EQ(system.lpSurface, ours.lpSurface);
    EXPECT_EQ(system.lPitch, -704);
    EXPECT_EQ(system.ddckCKSrcBlt.dwColorSpaceHighValue, 8U);
    EXPECT_EQ(system.ddpfPixelFormat.dwRGBAlphaBitMask, 13U);
    EXPECT_EQ(system.ddsCaps.dwCaps, 0x218U);

    const platform::DDSURFACEDESC back = FromSystem(system);
    EXPECT_EQ(std::memcmp(&back, &ours, sizeof(ours)), 0);
}

TEST(Win32Boundary, PaletteEntryCountFollowsTheSizeFlag) {
    const struct {
        platform::DWORD flags;
        std::size_t count;
    } cases[] = {
        {DDPCAPS_8BIT, 256},   {DDPCAPS_8BIT | DDPCAPS_ALLOW256, 256},
        {DDPCAPS_4BIT, 16},    {DDPCAPS_2BIT, 4},
        {DDPCAPS_1BIT, 2},     {0, 0},
        {DDPCAPS_ALLOW256, 0}, {DDPCAPS_4BIT | DDPCAPS_8BITENTRIES, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PaletteEntryCount(c.flags), c.count) << std::hex << c.flags;
    }
}

TEST(Win32Boundary, MillisecondClockCombinesSecondsAndMillisecondParts) {
    const struct {
        CalendarReading start;
        CalendarReading now;
        std::int32_t expected;
    } cases[] = {
        {{1000, 250}, {1000, 250}, 0},
        {{1000, 900}, {1001, 100}, 200},  // the millisecond part goes down
        {{1000, 0}, {1003, 999}, 3999},
        {{5, 0}, {5 + 2147484, 0}, -2147483296},  // 32 bits, wrapped
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MillisecondsBetween(c.start, c.now), c.expected) << c.now.seconds;
    }
    const CalendarReading reading = ReadCalendar();
    EXPECT_GE(reading.milliseconds, 0);
    EXPECT_LT(reading.milliseconds, 1000);
}

TEST(Win32Boundary, UserAndGdiHandlesSurviveOurHandleFields) {
    Win32WindowSystem windows;
    const ::HGDIOBJ brush = ::GetStockObject(BLACK_BRUSH);
    const ::HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(brush, nullptr);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(SystemHandle<::HGDIOBJ>(windows.GetStockObject(BLACK_BRUSH)), brush);
    EXPECT_EQ(SystemHandle<::HCURSOR>(windows.LoadCursorA(0, 32512)), arrow);
}

TEST(Win32WindowSystem, MessagesReachTheClassProcedureAndComeBackWhole) {
    Win32WindowSystem windows;
    struct Seen {
        platform::HWND window;
        platform::UINT message;
        platform::WPARAM wParam;
        platform::LPARAM lParam;
    };
    std::vector<Seen> seen;
    platform::WNDCLASSA windowClass;
    windowClass.lpfnWndProc = [&](platform::HWND w, platform::UINT m, platform::WPARAM wp,
                                  platform::LPARAM lp) -> platform::LRESULT {
        seen.push_back({w, m, wp, lp});
        return m == 0x8001 ? 42 : windows.DefWindowProcA(w, m, wp, lp);
    };
    windowClass.lpszClassName = "VelmoraLayerTest";
    ASSERT_NE(windows.RegisterClassA(windowClass), 0);

    // A message-only window (parent HWND_MESSAGE): no screen needed. The
    // class name's case differs.
    const platform::HWND messageOnly = ~platform::HWND{2};
    const platform::HWND window = windows.CreateWindowExA(0, "velmoralayertest", "", 0, 0, 0, 0, 0,
                                                          messageOnly, 0, 0, nullptr);
    ASSERT_NE(window, 0U);

    const platform::LPARAM position = static_cast<platform::LPARAM>(0x01E0027FU);
    ASSERT_TRUE(windows.PostMessageA(window, 0x8001, 0xFFFFFFFFFFFFFFFFULL, -5));
    ASSERT_TRUE(windows.PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, position));
    platform::MSG message;
    ASSERT_TRUE(windows.PeekMessageA(&message, 0, 0, 0, PM_NOREMOVE));
    seen.clear();
    for (int i = 0; i < 2; ++i) {
        ASSERT_GT(windows.GetMessageA(&message, 0, 0, 0), 0);
        windows.TranslateMessage(&message);
        const platform::LRESULT result = windows.DispatchMessageA(&message);
        EXPECT_EQ(result, message.message == 0x8001 ? 42 : 0);
    }
    ASSERT_EQ(seen.size(), 2U);
    EXPECT_EQ(seen[0].window, window);
    EXPECT_EQ(seen[0].wParam, 0xFFFFFFFFFFFFFFFFULL);
    EXPECT_EQ(seen[0].lParam, -5);
    EXPECT_EQ(seen[1].message, static_cast<platform::UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(seen[1].wParam, static_cast<platform::WPARAM>(MK_LBUTTON));
    EXPECT_EQ(seen[1].lParam, position);

    // WM_DESTROY arrives inside DestroyWindow; the quit code comes back.
    seen.clear();
    ASSERT_TRUE(windows.DestroyWindow(window));
    bool destroyed = false;
    for (const Seen& s : seen) {
        destroyed = destroyed || s.message == WM_DESTROY;
    }
    EXPECT_TRUE(destroyed);
    windows.PostQuitMessage(7);
    EXPECT_EQ(windows.GetMessageA(&message, 0, 0, 0), 0);
    EXPECT_EQ(message.wParam, 7U);
}

TEST(Win32Kernel, ResourcesOfTheExecutable) {
    Win32Kernel kernel;
    Win32WindowSystem windows;
    Win32Gdi gdi;
    const platform::HMODULE self = kernel.GetModuleHandleA(nullptr);
    ASSERT_NE(self, 0U);

    const platform::HRSRC resource = kernel.FindResourceA(0, "ALL", 2);
    ASSERT_NE(resource, 0U);
    const std::uint8_t* bytes = kernel.LockResource(kernel.LoadResource(0, resource));
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(kernel.SizeofResource(0, resource), 10664U);  // no file header
    EXPECT_EQ(bytes[0], 40);
    EXPECT_EQ(kernel.FindResourceA(0, "MISSING", 2), 0U);
    EXPECT_EQ(kernel.FindResourceA(0, nullptr, 2), 0U);

    // The icon is there under its name, not under the number the program asks for.
    EXPECT_EQ(windows.LoadIconA(self, 32512), 0U);
    EXPECT_NE(HandleValue(::LoadIconA(SystemHandle<::HINSTANCE>(self), "VELMORA")), 0U);

    const platform::HBITMAP bitmap = kernel.LoadImageA(gdi, self, "ALL", 0, 0, 0, 0x2000);
    ASSERT_NE(bitmap, 0U);
    platform::BITMAP record;
    EXPECT_EQ(gdi.GetObjectA(bitmap, sizeof(record), &record), 24);
    EXPECT_EQ(record.bmWidth, 80);
    EXPECT_EQ(record.bmHeight, 120);
    EXPECT_EQ(record.bmBitsPixel, 8);
    EXPECT_EQ(gdi.GetObjectA(bitmap, 20, &record), 0);  // too small for the record
    EXPECT_EQ(gdi.GetObjectA(bitmap, 0, nullptr), 24);
    EXPECT_TRUE(gdi.DeleteObject(bitmap));
}

TEST(Win32Kernel, FilesReadInPiecesAndLoadedAsImages) {
    Win32Kernel kernel;
    Win32Gdi gdi;
    const platform::HRSRC resource = kernel.FindResourceA(0, "ALL", 2);
    ASSERT_NE(resource, 0U);
    const std::uint8_t* info = kernel.LockResource(kernel.LoadResource(0, resource));
    const DWORD size = kernel.SizeofResource(0, resource);
    // The resource as a file again: a file header in front.
    std::vector<std::uint8_t> file = {'B', 'M'};
    const auto put = [&file](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    };
    put(14 + size, 4);
    put(0, 2);
    put(0, 2);
    put(14 + 40 + 1024, 4);
    file.insert(file.end(), info, info + size);
    ASSERT_EQ(file.size(), 14U + size);
    const std::string path = "velmora_layer_test.bmp";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);

    const platform::HFILE handle = kernel.lopen(path.c_str(), 0);
    ASSERT_NE(handle, -1);
    std::vector<std::uint8_t> read(file.size() + 100);
    EXPECT_EQ(kernel.lread(handle, read.data(), 14), 14U);
    EXPECT_EQ(kernel.lread(handle, read.data() + 14, 40), 40U);
    // Asking for more than is left reads what is left.
    EXPECT_EQ(kernel.lread(handle, read.data() + 54, static_cast<UINT>(read.size() - 54)),
              file.size() - 54);
    EXPECT_EQ(std::memcmp(read.data(), file.data(), file.size()), 0);
    EXPECT_EQ(kernel.lclose(handle), 0);
    EXPECT_EQ(kernel.lopen("no such file.bmp", 0), -1);

    const platform::HBITMAP bitmap =
        kernel.LoadImageA(gdi, 0, path.c_str(), 0, 40, 60, 0x2000 | 0x10);
    ASSERT_NE(bitmap, 0U);
    platform::BITMAP record;
    ASSERT_EQ(gdi.GetObjectA(bitmap, sizeof(record), &record), 24);
    EXPECT_EQ(record.bmWidth, 40);
    EXPECT_EQ(record.bmHeight, 60);
    gdi.DeleteObject(bitmap);
    std::remove(path.c_str());
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
    description.dwSize = 100;
    platform::IDirectDrawSurface* refused = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&description, &refused, nullptr), DDERR_INVALIDPARAMS);

    platform::DDSURFACEDESC locked;
    locked.dwSize = sizeof(locked);
    const platform::RECT whole{0, 0, 80, 120};
    ASSERT_EQ(source->Lock(&whole, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(locked.dwSize, sizeof(platform::DDSURFACEDESC));
    EXPECT_EQ(locked.dwWidth, 80U);
    ASSERT_GE(locked.lPitch, 80 * 4);
    auto* row = static_cast<std::uint8_t*>(locked.lpSurface) + 7 * locked.lPitch;
    std::memset(row, 0x5A, 80 * 4);
    EXPECT_EQ(source->Unlock(locked.lpSurface), DD_OK);

    const platform::RECT band{0, 7, 80, 8};
    EXPECT_EQ(target->BltFast(0, 100, source, &band, 0), DD_OK);
    EXPECT_EQ(target->BltFast(0, 0, nullptr, &band, 0), DDERR_INVALIDPARAMS);
    ASSERT_EQ(target->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    row = static_cast<std::uint8_t*>(locked.lpSurface) + 100 * locked.lPitch;
    EXPECT_EQ(row[0], 0x5A);
    EXPECT_EQ(row[80 * 4 - 1], 0x5A);
    EXPECT_EQ(target->Unlock(locked.lpSurface), DD_OK);

    platform::HDC dc = 0;
    ASSERT_EQ(target->GetDC(&dc), DD_OK);
    EXPECT_NE(dc, 0U);
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
