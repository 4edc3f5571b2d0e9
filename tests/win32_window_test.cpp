// The window of its own on the real USER32 and GDI, under Wine or on
// Windows: what the GDI presenter draws, and a file dropped the way the
// shell drops one.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/program.h"
#include "files/depth_png.h"
#include "platform/win32/gdi_presenter.h"
#include "platform/win32/win32_window_system.h"
#include "tests/bitmap_support.h"
// Last: it defines many of the names above as macros.
#include "platform/win32/convert.h"
// DROPFILES, the shell's record of a drop.
#include <shlobj.h>

namespace velmora::platform::win32 {
namespace {

// A 32-bit top-down bitmap to draw into, its pixels readable.
struct Canvas {
    ::HDC dc = ::CreateCompatibleDC(nullptr);
    std::uint32_t* pixels = nullptr;
    ::HBITMAP bitmap = nullptr;
    ::HGDIOBJ old = nullptr;
    int width;

    Canvas(int w, int h) : width(w) {
        ::BITMAPINFO info{};
        info.bmiHeader = {sizeof(::BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<std::uint32_t*>(bits);
        old = ::SelectObject(dc, bitmap);
    }
    ~Canvas() {
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    std::uint32_t At(int x, int y) const { return pixels[y * width + x] & 0xFFFFFFU; }
};

// Every picture pixel an exact scale x scale block of `expected(x, y)`.
template <typename Expected>
int WrongBlocks(const Canvas& canvas, int scale, Expected expected) {
    int wrong = 0;
    for (int y = 0; y < 480 * scale; ++y) {
        for (int x = 0; x < 640 * scale; ++x) {
            wrong += canvas.At(x, y) != (expected(x / scale, y / scale) & 0xFFFFFFU) ? 1 : 0;
        }
    }
    return wrong;
}

TEST(GdiPresenter, ScreenThroughItsPaletteAndTheViewAtWholeScales) {
    // A pitch of 704 bytes: the picture is the left part of each row.
    test::Rig rig(704);
    platform::PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i) {
        entries[i] = test::Rgb(i, 255 - i, i / 2);
    }
    platform::IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(rig.dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr),
              DD_OK);
    ASSERT_EQ(rig.primary->SetPalette(palette), DD_OK);
    platform::DDSURFACEDESC locked;
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(rig.primary->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    auto* bytes = static_cast<std::uint8_t*>(locked.lpSurface);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            bytes[y * locked.lPitch + x] = static_cast<std::uint8_t>(x * 7 + y * 3);
        }
    }
    const auto screen = [&entries](int x, int y) {
        const platform::PALETTEENTRY& e = entries[static_cast<std::uint8_t>(x * 7 + y * 3)];
        return std::uint32_t{e.peRed} << 16 | std::uint32_t{e.peGreen} << 8 | e.peBlue;
    };
    std::vector<std::uint32_t> view(640 * 480);
    for (std::size_t i = 0; i < view.size(); ++i) {
        view[i] = 0xFF000000U | static_cast<std::uint32_t>(i * 2654435761U >> 8);
    }
    Canvas canvas(1280, 960);
    for (const auto path : {GdiPresenter::Path::kIndexes, GdiPresenter::Path::kColours}) {
        GdiPresenter presenter(rig.device, path);
        EXPECT_FALSE(presenter.Present(HandleValue(canvas.dc), 1)) << "locked: half drawn";
        ASSERT_EQ(rig.primary->Unlock(locked.lpSurface), DD_OK);
        for (const int scale : {1, 2}) {
            ASSERT_TRUE(presenter.Present(HandleValue(canvas.dc), scale));
            ::GdiFlush();
            EXPECT_EQ(WrongBlocks(canvas, scale, screen), 0) << scale;
        }
        EXPECT_EQ(presenter.ShownGeneration(), presenter.Generation());
        presenter.ShowView(view.data());
        EXPECT_NE(presenter.ShownGeneration(), presenter.Generation());
        ASSERT_TRUE(presenter.Present(HandleValue(canvas.dc), 2));
        ::GdiFlush();
        EXPECT_EQ(WrongBlocks(canvas, 2, [&view](int x, int y) { return view[y * 640 + x]; }), 0);
        presenter.ShowView(nullptr);
        ASSERT_EQ(rig.primary->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    }
    ASSERT_EQ(rig.primary->Unlock(locked.lpSurface), DD_OK);
}

// Boxes are recorded, not shown.
class BoxRecorder : public Win32WindowSystem {
  public:
    int MessageBoxA(platform::HWND, const char* text, const char*, platform::UINT) override {
        boxes.emplace_back(text);
        return IDOK;
    }
    std::vector<std::string> boxes;
};

// What the shell hands a window: a DROPFILES block, then the names, each
// ended by a zero, and one more zero.
::HGLOBAL ShellDrop(const std::string& path) {
    const ::HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(::DROPFILES) + path.size() + 2);
    auto* header = static_cast<::DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(::DROPFILES);
    header->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(header + 1), path.c_str(), path.size());
    ::GlobalUnlock(memory);
    return memory;
}

TEST(Win32WindowSystem, AFileDroppedTheShellsWayOpensOrIsNamedInABox) {
    platform::FaultInjector faults;
    platform::DisplayDevice device(faults);
    platform::MemoryKernel kernel(faults, {{"ALL", 2, resources::AllBitmap()}});
    BoxRecorder windows;
    app::Program program(app::Platform{windows, kernel, device});
    platform::WNDCLASSA windowClass;
    windowClass.lpfnWndProc = [&program](platform::HWND w, platform::UINT m, platform::WPARAM wp,
                                         platform::LPARAM lp) {
        return app::WindowProc(program, w, m, wp, lp);
    };
    windowClass.lpszClassName = "VelmoraDropTest";
    ASSERT_NE(windows.RegisterClassA(windowClass), 0);
    // Message-only: no screen needed.
    const platform::HWND window = windows.CreateWindowExA(0, "VelmoraDropTest", "", 0, 0, 0, 0, 0,
                                                          ~platform::HWND{2}, 0, 0, nullptr);
    ASSERT_NE(window, 0U);
    ASSERT_TRUE(display::SetUpDisplay(program.display, {device, kernel, window, 1}, program.scene));

    std::vector<std::int8_t> depth(640 * 480, 0);
    for (int y = 100; y < 200; ++y) {
        std::memset(&depth[y * 640 + 200], 12, 200);
    }
    std::string error;
    const std::string paths[] = {::testing::TempDir() + "velmora_drop_map.png",
                                 ::testing::TempDir() + "velmora_drop_bad.png"};
    const std::vector<std::uint8_t> contents[] = {
        files::EncodeDepthPng(depth.data(), std::nullopt, error),
        {'n', 'o', 't', ' ', 'p', 'n', 'g'}};
    for (int i = 0; i < 2; ++i) {
        std::FILE* file = std::fopen(paths[i].c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(contents[i].data(), 1, contents[i].size(), file);
        std::fclose(file);
    }
    const auto drop = [&](const std::string& path) {
        ASSERT_TRUE(windows.PostMessageA(window, WM_DROPFILES, HandleValue(ShellDrop(path)), 0));
        platform::MSG message;
        ASSERT_GT(windows.GetMessageA(&message, 0, 0, 0), 0);
        EXPECT_EQ(message.message, WM_DROPFILES);
        windows.DispatchMessageA(&message);
    };
    // The map, but for the resting brush's bump, which stays on its rows.
    const auto taken = [&] {
        const stereo::BrushStamp& brush = program.scene.stamp;
        for (int y = 0; y < 480; ++y) {
            const bool underBrush =
                brush.made && y >= brush.y && y < brush.y + stereo::kBrushHeight;
            if (!underBrush &&
                !std::equal(&depth[y * 640], &depth[y * 640 + 640], program.scene.depth.Row(y))) {
                return false;
            }
        }
        return true;
    };
    EXPECT_FALSE(taken());
    drop(paths[0]);
    EXPECT_TRUE(windows.boxes.empty());
    EXPECT_TRUE(taken());

    drop(paths[1]);
    ASSERT_EQ(windows.boxes.size(), 1U);
    EXPECT_EQ(windows.boxes[0].rfind(paths[1] + ": ", 0), 0U) << windows.boxes[0];
    EXPECT_TRUE(taken());
    windows.DestroyWindow(window);
    for (const std::string& path : paths) {
        std::remove(path.c_str());
    }
}

}  // namespace
}  // namespace velmora::platform::win32
