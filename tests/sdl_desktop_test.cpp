// The SDL back end without a display: translations, pacing, the window system.

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <numeric>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/sdl/desktop.h"
#include "platform/sdl/input.h"
#include "platform/sdl/presenter.h"
#include "tests/bitmap_support.h"

namespace velmora::platform {
namespace {

using namespace std::chrono_literals;
using Clock = PresentPacer::Clock;

TEST(SdlInput, ButtonsModifiersPositionsAndKeysInWindowsTerms) {
    EXPECT_EQ(KeyStateWord(SDL_BUTTON_RMASK | SDL_BUTTON_MMASK, KMOD_RSHIFT | KMOD_LCTRL),
              MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(KeyStateWord(SDL_BUTTON_X1MASK | SDL_BUTTON_X2MASK, KMOD_ALT | KMOD_CAPS), 0U);
    EXPECT_EQ(PackPointer(200, -1), 200);
    EXPECT_EQ(PackPointer(-1, 250), 250 << 16);
    EXPECT_EQ(PackPointer(700, 495), (479 << 16) | 639);
    // Letters as the layout says (AZERTY: 'a' in the Q place), digits by top-row place.
    EXPECT_EQ(VirtualKeyFor(SDLK_a, SDL_SCANCODE_Q), 0x41U);
    EXPECT_EQ(VirtualKeyFor(SDLK_AMPERSAND, SDL_SCANCODE_1), 0x31U);
    EXPECT_EQ(VirtualKeyFor(SDLK_9, SDL_SCANCODE_9), 0x39U);
    EXPECT_EQ(VirtualKeyFor(SDLK_0, SDL_SCANCODE_0), 0x30U);
    EXPECT_EQ(VirtualKeyFor(SDLK_KP_1, SDL_SCANCODE_KP_1), 0U);
    const std::int32_t keys[] = {SDLK_a,     SDLK_z,    SDLK_F1,     SDLK_F12,   SDLK_LEFT, SDLK_UP,
                                 SDLK_RIGHT, SDLK_DOWN, SDLK_ESCAPE, SDLK_SPACE, SDLK_F13};
    const WPARAM codes[] = {0x41,     0x5A,    VK_F1,     VK_F12,   VK_LEFT, VK_UP,
                            VK_RIGHT, VK_DOWN, VK_ESCAPE, VK_SPACE, 0};
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        EXPECT_EQ(VirtualKeyFor(keys[i], SDL_SCANCODE_UNKNOWN), codes[i]) << i;
    }
}

TEST(PresentPacer, ChangesAtMostOncePerIntervalAndWaitingInputFirst) {
    PresentPacer pacer(10ms);
    const Clock::time_point t0 = Clock::now();
    // Due at once at first; then only after a change, at the interval's end.
    EXPECT_TRUE(pacer.Due(0, t0, false));
    pacer.Presented(0, t0);
    EXPECT_FALSE(pacer.Due(0, t0 + 1s, false));
    EXPECT_FALSE(pacer.Due(1, t0 + 4ms, false));
    EXPECT_EQ(pacer.UntilDue(t0 + 4ms), 6ms);
    EXPECT_FALSE(pacer.Due(7, t0 + 9ms, false));
    EXPECT_TRUE(pacer.Due(7, t0 + 10ms, false));
    pacer.Presented(7, t0 + 10ms);
    pacer.Invalidate();
    EXPECT_TRUE(pacer.Due(7, t0 + 20ms, false));
    pacer.Presented(7, t0 + 20ms);
    // Waiting input comes first, though for no longer than an interval.
    EXPECT_FALSE(pacer.Due(8, t0 + 35ms, true));  // pending since 35 ms
    EXPECT_FALSE(pacer.Due(9, t0 + 40ms, true));
    EXPECT_TRUE(pacer.Due(9, t0 + 40ms, false));
    EXPECT_TRUE(pacer.Due(10, t0 + 45ms, true));  // waited a whole interval
}

// The window system on SDL's dummy driver (asked for, as only a test or a
// benchmark does) over the display as set-up leaves it, with a palette on the
// screen whose entry i is (i, 255 - i, i / 2).
struct Desktop : test::Rig {
    PALETTEENTRY entries[256];
    IDirectDrawPalette* palette = nullptr;
    SdlWindowSystem windows{faults, device};

    Desktop() {
        unsetenv("DISPLAY");  // a box fails over to standard error
        unsetenv("WAYLAND_DISPLAY");
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_RENDER_DRIVER", "software", 1);
        for (int i = 0; i < 256; ++i) {
            entries[i] = test::Rgb(i, 255 - i, i / 2);
        }
        EXPECT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr),
                  DD_OK);
        EXPECT_EQ(primary->SetPalette(palette), DD_OK);
    }
};

// The program's window, made and shown.
HWND ShowProgramWindow(SdlWindowSystem& windows) {
    WNDCLASSA windowClass;
    windowClass.lpszClassName = "test";
    windowClass.lpfnWndProc = [&windows](HWND, UINT message, WPARAM, LPARAM) {
        return LRESULT(message == WM_SETCURSOR ? windows.SetCursor(0) : 0);
    };
    windows.RegisterClassA(windowClass);
    const HWND window =
        windows.CreateWindowExA(0, "test", "test", WS_POPUP, 0, 0, 640, 480, 0, 0, 0, nullptr);
    windows.ShowWindow(window, SW_SHOWDEFAULT);
    return window;
}

using Message = std::tuple<HWND, UINT, WPARAM, LPARAM>;

std::vector<Message> Messages(SdlWindowSystem& windows) {
    std::vector<Message> all;
    for (MSG m; windows.PeekMessageA(&m, 0, 0, 0, PM_REMOVE);) {
        all.emplace_back(m.hwnd, m.message, m.wParam, m.lParam);
    }
    return all;
}

TEST(InvisibleDesktop, ColoursEventsBoxesAndPacedPresentations) {
    Desktop desktop;
    SdlWindowSystem& windows = desktop.windows;
    PALETTEENTRY* entries = desktop.entries;
    IDirectDrawPalette* palette = desktop.palette;
    ASSERT_EQ(windows.Open("Velmora test"), "");
    EXPECT_NE(SDL_GetWindowFlags(windows.Window()) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0U);

    // Screen colours; rows of 704 bytes in, 2600 out, padding left alone.
    ColourLookup lookup{};
    BuildLookup(InMemory(palette), lookup);
    std::vector<std::uint8_t> indexes(704 * 480);
    std::iota(indexes.begin(), indexes.end(), std::uint8_t{0});
    std::vector<std::uint32_t> out(650 * 480, 0x12345678U);
    ColourFrame(indexes.data(), 704, lookup, out.data(), 2600);
    for (const auto& [x, y] : {std::pair{0, 0}, {639, 0}, {17, 255}, {639, 479}}) {
        EXPECT_EQ(out[y * 650 + x], lookup[std::uint8_t(y * 704 + x)]) << x << "," << y;
    }
    EXPECT_EQ(out[649], 0x12345678U);

    const HWND window = ShowProgramWindow(windows);
    EXPECT_EQ(windows.Presentations(), 1U) << "shown, the window shows the screen at once";
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE) << "shown, the window hides the pointer";
    const auto messages = [&windows] { return Messages(windows); };
    // Late window events (shown, exposed) rightly ask for one more presentation.
    for (int i = 0; i < 10; ++i) {
        messages();
    }
    const std::uint64_t settled = windows.Presentations();
    EXPECT_GT(settled, 1U) << "idle passes present what the late events asked for";

    // Both buttons held, Shift down, beyond the window's far corner.
    SDL_Event events[8] = {};
    events[0].key = {SDL_KEYDOWN, 0, 0, 1, 1, 0, 0, {SDL_SCANCODE_F, SDLK_f, KMOD_LSHIFT, 0}};
    events[1].motion = {
        SDL_MOUSEMOTION, 0, 0, 0, SDL_BUTTON_LMASK | SDL_BUTTON_RMASK, 5000, 5000, 0, 0};
    events[2].button = {
        SDL_MOUSEBUTTONDOWN, 0, 0, 0, SDL_BUTTON_RIGHT, 1, 1, 0, 0, 0};  // no message
    events[3].button = {SDL_MOUSEBUTTONDOWN, 0, 0, 0, SDL_BUTTON_LEFT, 1, 1, 0, 0, 0};
    events[4].window = {SDL_WINDOWEVENT, 0, 0, SDL_WINDOWEVENT_FOCUS_LOST, 0, 0, 0, 0, 0};
    events[5].window = {SDL_WINDOWEVENT, 0, 0, SDL_WINDOWEVENT_FOCUS_GAINED, 0, 0, 0, 0, 0};
    events[6].window = {SDL_WINDOWEVENT, 0, 0, SDL_WINDOWEVENT_CLOSE, 0, 0, 0, 0, 0};
    events[7].quit = {SDL_QUIT, 0};
    for (SDL_Event& event : events) {
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    const WPARAM held = MK_LBUTTON | MK_RBUTTON | MK_SHIFT;
    EXPECT_EQ(messages(), (std::vector<Message>{{window, WM_KEYDOWN, 0x46, 0},
                                                {window, WM_MOUSEMOVE, held, (479 << 16) | 639},
                                                {window, WM_LBUTTONDOWN, held, 0},
                                                {window, WM_ACTIVATEAPP, 0, 0},
                                                {window, WM_ACTIVATEAPP, 1, 0},
                                                {window, WM_CLOSE, 0, 0},
                                                {window, WM_CLOSE, 0, 0}}));
    EXPECT_EQ(windows.Presentations(), settled) << "nothing changed, nothing to present";

    // Keys pressed under a box are its own; with no box, the text goes to stderr.
    ASSERT_EQ(SDL_PushEvent(&events[0]), 1);
    ASSERT_TRUE(windows.WaitMessage());
    ASSERT_EQ(SDL_PushEvent(&events[0]), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(windows.MessageBoxA(window, "Time: 1.5s\nFrames: 3", "Velmora", MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Velmora: Time: 1.5s Frames: 3\n");
    EXPECT_TRUE(windows.BoxShown() && messages().empty());

    // With nothing to do but wait, the program first sees its last change.
    entries[0].peRed = 1;
    ASSERT_EQ(palette->SetEntries(0, 0, 1, entries), DD_OK);
    const std::uint64_t shown = windows.Presentations();
    std::thread waker([&events] {
        std::this_thread::sleep_for(100ms);
        SDL_PushEvent(&events[0]);
    });
    EXPECT_TRUE(windows.WaitMessage());
    waker.join();
    EXPECT_EQ(windows.Presentations(), shown + 1);

    // Waiting input holds a change back, though for no longer than a frame (1/60 s here:
    // the dummy driver reports no rate).
    messages();
    ASSERT_EQ(palette->SetEntries(0, 0, 1, entries), DD_OK);
    ASSERT_EQ(SDL_PushEvent(&events[0]), 1);
    MSG key;
    ASSERT_TRUE(windows.PeekMessageA(&key, 0, 0, 0, PM_REMOVE));
    EXPECT_EQ(windows.Presentations(), shown + 1);
    std::this_thread::sleep_for(50ms);
    ASSERT_EQ(SDL_PushEvent(&events[0]), 1);
    EXPECT_TRUE(windows.WaitMessage());
    EXPECT_EQ(windows.Presentations(), shown + 2);
}

// An ordinary window: a whole scale of the picture (the dummy display is
// 1024x768), the program's view in place of the screen, the pointer mapped
// to the picture however the window is resized.
TEST(WindowedDesktop, ShowsTheViewOrTheScreenAndMapsThePointer) {
    Desktop screen;
    SdlWindowSystem& windows = screen.windows;
    ASSERT_EQ(windows.Open("Velmora test", true), "");
    SDL_Window* sdlWindow = windows.Window();
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(sdlWindow, &width, &height);
    EXPECT_EQ(std::pair(width, height), std::pair(640, 480));
    EXPECT_EQ(SDL_GetWindowFlags(sdlWindow) & (SDL_WINDOW_FULLSCREEN_DESKTOP |
                                               SDL_WINDOW_BORDERLESS | SDL_WINDOW_INPUT_GRABBED),
              0U);
    const HWND window = ShowProgramWindow(windows);
    for (int i = 0; i < 10; ++i) {
        Messages(windows);
    }
    const Presenter& presenter = *windows.ScreenPresenter();
    const auto presentsOnce = [&windows, &presenter] {
        const bool pending = presenter.Generation() != presenter.ShownGeneration();
        const std::uint64_t before = windows.Presentations();
        for (int pass = 0; pass < 5 && windows.Presentations() == before; ++pass) {
            Messages(windows);
        }
        return pending && windows.Presentations() == before + 1;
    };
    const auto shown = [sdlWindow] {
        std::vector<std::uint32_t> pixels(640 * 480);
        EXPECT_EQ(SDL_RenderReadPixels(SDL_GetRenderer(sdlWindow), nullptr,
                                       SDL_PIXELFORMAT_ARGB8888, pixels.data(), 640 * 4),
                  0);
        return pixels;
    };
    std::vector<std::uint32_t> view(640 * 480);
    for (std::size_t i = 0; i < view.size(); ++i) {
        view[i] = 0xFF000000U | static_cast<std::uint32_t>(i * 2654435761U) >> 8;
    }
    ASSERT_TRUE(windows.ShowView(view.data()));
    view[640 * 300 + 17] = 0xFFFF0000U;
    windows.ViewChanged();
    EXPECT_TRUE(presentsOnce());
    EXPECT_EQ(shown(), view);
    // The screen changes behind the view, half drawn: the view is shown all the same.
    DDSURFACEDESC locked = test::Description();
    ASSERT_EQ(screen.primary->Lock(nullptr, &locked, 1, nullptr), DD_OK);
    screen.entries[0] = {9, 8, 7, 0};
    ASSERT_EQ(screen.palette->SetEntries(0, 0, 1, screen.entries), DD_OK);
    EXPECT_TRUE(presentsOnce());
    EXPECT_EQ(shown(), view);
    ASSERT_EQ(screen.primary->Unlock(nullptr), DD_OK);
    ASSERT_TRUE(windows.ShowView(nullptr));
    EXPECT_TRUE(presentsOnce());
    EXPECT_EQ(shown(), std::vector<std::uint32_t>(640 * 480, 0xFF090807U));
    windows.ViewChanged();
    EXPECT_FALSE(presentsOnce()) << "no view, nothing changed";

    // Exactly twice the picture, then a size no whole scale fills (centred at 2x).
    for (const auto& [size, in, out] :
         {std::tuple{std::pair{1280, 960}, std::pair{1001, 701}, LPARAM{(350 << 16) | 500}},
          {std::pair{1400, 1000}, std::pair{261, 121}, LPARAM{(50 << 16) | 100}}}) {
        SDL_SetWindowSize(sdlWindow, size.first, size.second);
        Messages(windows);
        SDL_Event motion{};
        motion.motion = {
            SDL_MOUSEMOTION, 0, SDL_GetWindowID(sdlWindow), 0, 0, in.first, in.second, 0, 0};
        ASSERT_EQ(SDL_PushEvent(&motion), 1);
        EXPECT_EQ(Messages(windows), (std::vector<Message>{{window, WM_MOUSEMOVE, 0, out}}))
            << size.first;
    }
}

// What SDL falls back to with no display at all: refused unless asked for.
TEST(OffscreenDriver, IsRefusedUnlessAskedFor) {
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
        unsetenv(name);
    }
    FaultInjector faults;
    DisplayDevice device(faults);
    SdlWindowSystem windows(faults, device);
    const std::string failure = windows.Open("Velmora test");
    EXPECT_NE(failure.find("no display"), std::string::npos) << failure;
    EXPECT_EQ(failure.find('\n'), std::string::npos);
    const std::uint32_t pixel = 0;
    EXPECT_EQ(std::pair(windows.ShowView(&pixel), windows.ShowView(nullptr)),
              std::pair(false, true))
        << "with no window, only the screen";
}

}  // namespace
}  // namespace velmora::platform
