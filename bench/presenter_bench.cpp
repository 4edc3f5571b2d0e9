// What showing the screen costs: one presentation (colour lookup, upload,
// present) after a change of pixels, one after a palette-only change (a
// flicker step), and the plain copies of a frame they compare with.
// Runs on SDL's offscreen driver unless SDL_VIDEODRIVER names another (an X
// display, say).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/sdl/desktop.h"
#include "platform/sdl/presenter.h"

namespace {

using namespace velmora::platform;

constexpr std::size_t kFrameBytes = 640 * 480;

// A program-like screen: a flipping primary with random dots, a palette,
// and the window shown.
class Screen {
  public:
    Screen() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (const std::string failure = windows_.Open("Velmora benchmark"); !failure.empty()) {
            std::fprintf(stderr, "presenter_bench: %s\n", failure.c_str());
            std::exit(1);
        }
        device_.DirectDrawCreate(nullptr, &dd_, nullptr);
        dd_->SetCooperativeLevel(1, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
        DDSURFACEDESC description;
        description.dwSize = sizeof(description);
        description.dwFlags = DDSD_CAPS;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        dd_->CreateSurface(&description, &primary_, nullptr);
        std::vector<PALETTEENTRY> entries(256);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            entries[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 7),
                          static_cast<std::uint8_t>(i * 13), 0};
        }
        dd_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries.data(), &palette_, nullptr);
        primary_->SetPalette(palette_);
        DDSURFACEDESC locked;
        locked.dwSize = sizeof(locked);
        primary_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
        auto* pixels = static_cast<std::uint8_t*>(locked.lpSurface);
        std::uint32_t state = 1;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                state = state * 214013U + 2531011U;
                pixels[y * locked.lPitch + x] = static_cast<std::uint8_t>(state >> 16);
            }
        }
        primary_->Unlock(locked.lpSurface);

        WNDCLASSA windowClass;
        windowClass.lpszClassName = "bench";
        windowClass.lpfnWndProc = [](HWND, UINT, WPARAM, LPARAM) { return LRESULT{0}; };
        windows_.RegisterClassA(windowClass);
        window_ = windows_.CreateWindowExA(0, "bench", "bench", WS_POPUP, 0, 0, 640, 480, 0, 0, 0,
                                           nullptr);
        windows_.ShowWindow(window_, SW_SHOWDEFAULT);
    }
    ~Screen() { dd_->Release(); }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    DisplayDevice& Device() { return device_; }
    MemorySurface* Primary() { return InMemory(primary_); }
    MemoryPalette* Palette() { return InMemory(palette_); }
    SdlWindowSystem& Windows() { return windows_; }

  private:
    FaultInjector faults_;
    DisplayDevice device_{faults_};
    SdlWindowSystem windows_{faults_, device_};
    IDirectDraw* dd_ = nullptr;
    IDirectDrawSurface* primary_ = nullptr;
    IDirectDrawPalette* palette_ = nullptr;
    HWND window_ = 0;
};

Screen& TheScreen() {
    static Screen screen;
    return screen;
}

// One presentation of a changed frame: colour lookup, upload, present.
void BM_Presentation(benchmark::State& state) {
    Screen& screen = TheScreen();
    Presenter& presenter = *screen.Windows().ScreenPresenter();
    for (auto _ : state) {
        benchmark::DoNotOptimize(presenter.Present());
    }
}
BENCHMARK(BM_Presentation);

// A flicker step: another palette goes on screen, and the frame is shown
// through it (the pixels did not change; the presentation is the same work).
void BM_PaletteChangeAndPresentation(benchmark::State& state) {
    Screen& screen = TheScreen();
    Presenter& presenter = *screen.Windows().ScreenPresenter();
    PALETTEENTRY entry{};
    for (auto _ : state) {
        entry.peRed = static_cast<std::uint8_t>(entry.peRed + 1);
        screen.Palette()->SetEntries(0, 0, 1, &entry);
        benchmark::DoNotOptimize(presenter.Present());
    }
}
BENCHMARK(BM_PaletteChangeAndPresentation);

// The colour lookup alone, into memory: the part of a presentation that is ours.
void BM_ColourLookup(benchmark::State& state) {
    Screen& screen = TheScreen();
    ColourLookup lookup{};
    std::vector<std::uint32_t> target(kFrameBytes);
    for (auto _ : state) {
        BuildLookup(screen.Palette(), lookup);
        ColourFrame(screen.Primary()->Pixels(), screen.Primary()->Pitch(), lookup, target.data(),
                    640 * 4);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ColourLookup);

// Plain copies of the 640x480 frame, of its 8-bit indexes and of its
// 32-bit colours.
void BM_FrameCopy(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0)) * kFrameBytes;
    std::vector<std::uint8_t> from(bytes, 7);
    std::vector<std::uint8_t> to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameCopy)->Arg(1)->Arg(4);

}  // namespace

BENCHMARK_MAIN();
