// The SDL back end, without a display: the pure translations, the pacing of
// presentations, and the window system itself on SDL's invisible dummy
// driver (asked for explicitly, as only a test or a benchmark does).

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/sdl/desktop.h"
#include "platform/sdl/input.h"
#include "platform/sdl/presenter.h"

namespace velmora::platform {
namespace {

using namespace std::chrono_literals;
using Clock = PresentPacer::Clock;

TEST(SdlInput, KeyStateWordCarriesButtonsAndModifiers) {
    EXPECT_EQ(KeyStateWord(0, KMOD_NONE), 0U);
    EXPECT_EQ(KeyStateWord(SDL_BUTTON_LMASK, KMOD_NONE), MK_LBUTTON);
    EXPECT_EQ(KeyStateWord(SDL_BUTTON_RMASK | SDL_BUTTON_MMASK, KMOD_NONE),
              MK_RBUTTON | MK_MBUTTON);
    EXPECT_EQ(KeyStateWord(SDL_BUTTON_LMASK, KMOD_RSHIFT | KMOD_LCTRL),
              MK_LBUTTON | MK_SHIFT | MK_CONTROL);
    // Side buttons, Alt and Caps Lock have no bit of their own.
    EXPECT_EQ(KeyStateWord(SDL_BUTTON_X1MASK | SDL_BUTTON_X2MASK, KMOD_ALT | KMOD_CAPS), 0U);
}

TEST(SdlInput, PointerPositionsAreClampedOntoThePicture) {
    EXPECT_EQ(PackPointer(200, 300), (300 << 16) | 200);
    EXPECT_EQ(PackPointer(639, 479), (479 << 16) | 639);
    // Beside the picture, in the letterbox bars.
    EXPECT_EQ(PackPointer(-16, -3), 0);
    EXPECT_EQ(PackPointer(700, 495), (479 << 16) | 639);
    EXPECT_EQ(PackPointer(-1, 250), 250 << 16);
}

TEST(SdlInput, VirtualKeysFollowTheWindowsNumbering) {
    EXPECT_EQ(VirtualKeyFor(SDLK_a, SDL_SCANCODE_A), 0x41U);
    EXPECT_EQ(VirtualKeyFor(SDLK_f, SDL_SCANCODE_F), 0x46U);
    EXPECT_EQ(VirtualKeyFor(SDLK_z, SDL_SCANCODE_Z), 0x5AU);
    // On AZERTY the key in the Q place says 'a': the layout decides letters.
    EXPECT_EQ(VirtualKeyFor(SDLK_a, SDL_SCANCODE_Q), 0x41U);
    // ... but the top row is the digits whatever it prints unshifted.
    EXPECT_EQ(VirtualKeyFor(SDLK_AMPERSAND, SDL_SCANCODE_1), 0x31U);
    EXPECT_EQ(VirtualKeyFor(SDLK_9, SDL_SCANCODE_9), 0x39U);
    EXPECT_EQ(VirtualKeyFor(SDLK_0, SDL_SCANCODE_0), 0x30U);
    EXPECT_EQ(VirtualKeyFor(SDLK_F1, SDL_SCANCODE_F1), VK_F1);
    EXPECT_EQ(VirtualKeyFor(SDLK_F12, SDL_SCANCODE_F12), VK_F12);
    EXPECT_EQ(VirtualKeyFor(SDLK_LEFT, SDL_SCANCODE_LEFT), VK_LEFT);
    EXPECT_EQ(VirtualKeyFor(SDLK_UP, SDL_SCANCODE_UP), VK_UP);
    EXPECT_EQ(VirtualKeyFor(SDLK_RIGHT, SDL_SCANCODE_RIGHT), VK_RIGHT);
    EXPECT_EQ(VirtualKeyFor(SDLK_DOWN, SDL_SCANCODE_DOWN), VK_DOWN);
    EXPECT_EQ(VirtualKeyFor(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), VK_ESCAPE);
    EXPECT_EQ(VirtualKeyFor(SDLK_SPACE, SDL_SCANCODE_SPACE), VK_SPACE);
    // Keys the program has no use for are not passed on.
    EXPECT_EQ(VirtualKeyFor(SDLK_F13, SDL_SCANCODE_F13), 0U);
    EXPECT_EQ(VirtualKeyFor(SDLK_RETURN, SDL_SCANCODE_RETURN), 0U);
    EXPECT_EQ(VirtualKeyFor(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT), 0U);
    EXPECT_EQ(VirtualKeyFor(SDLK_KP_1, SDL_SCANCODE_KP_1), 0U);
}

TEST(PresentPacer, PresentsChangesAtMostOncePerInterval) {
    PresentPacer pacer(10ms);
    const Clock::time_point t0 = Clock::now();
    // The first frame is due at once; then nothing is, until the screen changes.
    EXPECT_TRUE(pacer.Due(0, t0, false));
    pacer.Presented(0, t0);
    EXPECT_FALSE(pacer.Due(0, t0 + 1s, false));
    // A change inside the interval waits for its end.
    EXPECT_FALSE(pacer.Due(1, t0 + 4ms, false));
    EXPECT_EQ(pacer.UntilDue(t0 + 4ms), 6ms);
    EXPECT_FALSE(pacer.Due(7, t0 + 9ms, false));
    EXPECT_TRUE(pacer.Due(7, t0 + 10ms, false));
    pacer.Presented(7, t0 + 10ms);
    // The window lost its contents: shown again with no change of the screen.
    pacer.Invalidate();
    EXPECT_TRUE(pacer.Pending(7));
    EXPECT_TRUE(pacer.Due(7, t0 + 20ms, false));
}

TEST(PresentPacer, WaitingInputComesFirstForNoMoreThanAnInterval) {
    PresentPacer pacer(10ms);
    const Clock::time_point t0 = Clock::now();
    pacer.Presented(0, t0);
    EXPECT_FALSE(pacer.Due(1, t0 + 15ms, true));  // pending since 15 ms
    EXPECT_FALSE(pacer.Due(2, t0 + 20ms, true));
    EXPECT_TRUE(pacer.Due(2, t0 + 20ms, false));
    EXPECT_TRUE(pacer.Due(3, t0 + 25ms, true));  // waited a whole interval
}

TEST(ScreenColours, IndexesShowTheirPaletteColoursAtAnyPitch) {
    FaultInjector faults;
    DisplayDevice device(faults);
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(device.DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    std::vector<PALETTEENTRY> entries(256);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                      static_cast<std::uint8_t>(i / 2), 0};
    }
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries.data(), &palette, nullptr),
              DD_OK);
    ColourLookup lookup{};
    BuildLookup(InMemory(palette), lookup);
    EXPECT_EQ(lookup[0], 0xFF00FF00U);
    EXPECT_EQ(lookup[200], 0xFFC83764U);
    EXPECT_EQ(lookup[255], 0xFFFF007FU);

    // Rows padded to 704 bytes in, 2600 bytes out: padding is neither read
    // as pixels nor written over.
    constexpr std::ptrdiff_t kInPitch = 704;
    constexpr std::ptrdiff_t kOutPitch = 2600;
    std::vector<std::uint8_t> indexes(kInPitch * 480, 0xEE);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            indexes[static_cast<std::size_t>(y * kInPitch + x)] =
                static_cast<std::uint8_t>(x + 3 * y);
        }
    }
    std::vector<std::uint32_t> out(kOutPitch / 4 * 480, 0x12345678U);
    ColourFrame(indexes.data(), kInPitch, lookup, out.data(), kOutPitch);
    for (const auto& [x, y] : {std::pair{0, 0}, {639, 0}, {17, 255}, {639, 479}}) {
        EXPECT_EQ(out[static_cast<std::size_t>(y * kOutPitch / 4 + x)],
                  lookup[static_cast<std::uint8_t>(x + 3 * y)])
            << x << "," << y;
    }
    EXPECT_EQ(out[kOutPitch / 4 - 1], 0x12345678U);

    // No palette: nothing to colour with.
    BuildLookup(nullptr, lookup);
    EXPECT_EQ(lookup[0], 0xFF000000U);
    EXPECT_EQ(lookup[255], 0xFF000000U);
    palette->Release();
    dd->Release();
}

// The one SDL window there is: window ids are not reused.
SDL_Window* TheWindow() {
    SDL_Window* found = nullptr;
    for (Uint32 id = 1; id < 100; ++id) {
        if (SDL_Window* window = SDL_GetWindowFromID(id); window != nullptr) {
            found = window;
        }
    }
    return found;
}

// The window system on SDL's dummy driver, with a primary surface and a
// palette on screen, and a window procedure that records what it is sent.
class InvisibleDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_RENDER_DRIVER", "software", 1);
        ASSERT_EQ(windows.Open("Velmora test"), "");
        ASSERT_EQ(device.DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(1, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
        DDSURFACEDESC description;
        description.dwSize = sizeof(description);
        description.dwFlags = DDSD_CAPS;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        ASSERT_EQ(dd->CreateSurface(&description, &primary, nullptr), DD_OK);
        std::vector<PALETTEENTRY> entries(256);
        ASSERT_EQ(
            dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries.data(), &palette, nullptr),
            DD_OK);
        ASSERT_EQ(primary->SetPalette(palette), DD_OK);

        WNDCLASSA windowClass;
        windowClass.lpszClassName = "test";
        windowClass.lpfnWndProc = [this](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
            received.push_back(MSG{0, message, wParam, lParam});
            if (message == WM_SETCURSOR) {
                windows.SetCursor(0);
            }
            return LRESULT{0};
        };
        windows.RegisterClassA(windowClass);
        window =
            windows.CreateWindowExA(0, "test", "test", WS_POPUP, 0, 0, 640, 480, 0, 0, 0, nullptr);
        ASSERT_NE(window, 0U);
        windows.ShowWindow(window, SW_SHOWDEFAULT);
    }

    void TearDown() override {
        if (dd != nullptr) {
            dd->Release();
        }
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("SDL_RENDER_DRIVER");
    }

    // Every message the next look into the queue brings.
    std::vector<MSG> Messages() {
        std::vector<MSG> messages;
        MSG message;
        while (windows.PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) {
            messages.push_back(message);
        }
        return messages;
    }

    void ChangeColours() {
        entry.peRed = static_cast<std::uint8_t>(entry.peRed + 1);
        ASSERT_EQ(palette->SetEntries(0, 0, 1, &entry), DD_OK);
    }

    FaultInjector faults;
    DisplayDevice device{faults};
    SdlWindowSystem windows{faults, device};
    IDirectDraw* dd = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawPalette* palette = nullptr;
    HWND window = 0;
    std::vector<MSG> received;
    PALETTEENTRY entry{};
};

TEST_F(InvisibleDesktop, ShowingTheWindowHidesThePointerAndPresents) {
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.front().message, WM_SETCURSOR);
    EXPECT_TRUE(windows.CursorHidden());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(windows.Presentations(), 1U);
}

TEST_F(InvisibleDesktop, SdlEventsBecomeMessagesToTheWindow) {
    Messages();
    SDL_Window* sdlWindow = TheWindow();
    ASSERT_NE(sdlWindow, nullptr);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(sdlWindow, &width, &height);
    const Uint32 id = SDL_GetWindowID(sdlWindow);

    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = id;
    event.key.keysym = {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT, 0};
    SDL_PushEvent(&event);
    event.key.keysym = {SDL_SCANCODE_F, SDLK_f, KMOD_LSHIFT, 0};
    event.key.repeat = 1;
    SDL_PushEvent(&event);
    // Both buttons held, Shift down: the far corner of the window is the
    // picture's, whatever the scale.
    event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = id;
    event.motion.state = SDL_BUTTON_LMASK | SDL_BUTTON_RMASK;
    event.motion.x = width - 1;
    event.motion.y = height - 1;
    SDL_PushEvent(&event);
    event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = id;
    event.button.button = SDL_BUTTON_RIGHT;
    SDL_PushEvent(&event);  // no message of its own
    event.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&event);
    event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = id;
    event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&event);
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&event);
    event = {};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);

    const std::vector<MSG> messages = Messages();
    const std::vector<MSG> expected = {
        {window, WM_KEYDOWN, 0x46, 0},
        {window, WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON | MK_SHIFT, (479 << 16) | 639},
        {window, WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON | MK_SHIFT, 0},
        {window, WM_ACTIVATEAPP, 0, 0},
        {window, WM_CLOSE, 0, 0},
        {window, WM_CLOSE, 0, 0},
    };
    ASSERT_EQ(messages.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(messages[i].hwnd, expected[i].hwnd) << i;
        EXPECT_EQ(messages[i].message, expected[i].message) << i;
        EXPECT_EQ(messages[i].wParam, expected[i].wParam) << i;
        EXPECT_EQ(messages[i].lParam, expected[i].lParam) << i;
    }
}

TEST_F(InvisibleDesktop, PresentsOnlyChangesAndAtMostOncePerRefresh) {
    // Late window events (shown, exposed) rightly ask for one more presentation.
    for (int i = 0; i < 10; ++i) {
        Messages();
    }
    const std::uint64_t before = windows.Presentations();
    // A look that finds nothing lets the next idle pass come no sooner than
    // the next refresh.
    const Clock::time_point idleStart = Clock::now();
    for (int i = 0; i < 20; ++i) {
        Messages();
    }
    EXPECT_GE(Clock::now() - idleStart, 18 * (1s / 60.0));
    EXPECT_EQ(windows.Presentations(), before) << "nothing changed, nothing to present";

    // A flicker-like stream of palette changes, a look at the queue after
    // each: one presentation per refresh interval.
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < 60; ++i) {
        ChangeColours();
        Messages();
    }
    const auto elapsed = Clock::now() - start;
    const auto intervals = static_cast<std::uint64_t>(elapsed / (1s / 60.0)) + 2;
    EXPECT_LE(windows.Presentations() - before, intervals);

    // With nothing to do but wait, the program first sees its last change.
    ChangeColours();
    const std::uint64_t shown = windows.Presentations();
    const Uint32 id = SDL_GetWindowID(TheWindow());
    std::thread waker([id] {
        std::this_thread::sleep_for(100ms);
        SDL_Event wake{};
        wake.type = SDL_WINDOWEVENT;
        wake.window.windowID = id;
        wake.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
        SDL_PushEvent(&wake);
    });
    EXPECT_TRUE(windows.WaitMessage());
    waker.join();
    EXPECT_EQ(windows.Presentations(), shown + 1);
    EXPECT_EQ(Messages().size(), 1U);
}

TEST(OffscreenDriver, IsRefusedUnlessAskedFor) {
    // What SDL falls back to when there is no display at all.
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    FaultInjector faults;
    DisplayDevice device(faults);
    SdlWindowSystem windows(faults, device);
    const std::string failure = windows.Open("Velmora test");
    EXPECT_NE(failure.find("no display"), std::string::npos) << failure;
    EXPECT_EQ(failure.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace velmora::platform
