#pragma once

// The desktop back end of the window-system layer, on SDL2: the program's
// window covers the screen (or, asked for, is an ordinary desktop window)
// and shows the in-memory primary surface, or the program's view in its
// place, scaled to it; mouse, keyboard, focus and close requests become
// messages; boxes are modal. It translates and nothing more: what a message
// means is the program's business.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ddraw/memory.h"
#include "platform/present.h"
#include "platform/sdl/event_wait.h"
#include "platform/window/queued.h"

struct SDL_Window;
union SDL_Event;

namespace velmora::platform {

class Presenter;

class SdlWindowSystem : public QueuedWindowSystem {
  public:
    // `device` holds the screen this back end shows.
    SdlWindowSystem(FaultInjector& faults, const DisplayDevice& device);
    ~SdlWindowSystem() override;

    // Starts SDL's video and makes the window (hidden until the program
    // shows its own), the renderer and the texture. An empty string on
    // success, else one line saying why there is no window. An invisible
    // video driver ("offscreen", "dummy") is refused unless SDL_VIDEODRIVER
    // asks for it: without it, running would show nothing and look hung.
    // `windowed` makes an ordinary movable window instead of one covering
    // the screen: the picture at the largest whole scale the desktop has
    // room for, and never pushed to the front.
    std::string Open(const std::string& title, bool windowed = false);

    std::uint32_t CalendarSeconds() override;
    std::string TimeStamp() override;
    bool ShowView(const std::uint32_t* view) override;
    void ViewChanged() override;

    // Frames shown so far, for tests and benchmarks.
    std::uint64_t Presentations() const;
    // What shows the screen in the window, once Open succeeded; benchmarks
    // drive it directly, without the pacing.
    Presenter* ScreenPresenter() { return presenter_.get(); }
    // The SDL window, once Open made it; for tests.
    SDL_Window* Window() const { return window_; }
    // Whether any box reached the user (on screen or, failing that, on
    // standard error).
    bool BoxShown() const { return boxShown_; }

  protected:
    bool Pump(bool wait) override;
    void ShowBox(HWND owner, const std::string& text, const std::string& caption) override;
    void ShowPointer(bool visible) override;
    void WindowShown(HWND window) override;
    void WindowDestroying(HWND window) override;
    std::int64_t MillisecondsNow() override;

  private:
    void Drain();
    void Translate(const SDL_Event& event);
    void TranslateWindowEvent(const SDL_Event& event);
    void Post(UINT message, WPARAM wParam, LPARAM lParam);
    void SetCursorForWindow();
    void TakeFocus();
    void FitWindowToDisplay();
    std::uint64_t Generation() const;
    void PresentIfDue(bool inputWaiting);
    bool PresentNow();
    void PaceIdlePass();

    const DisplayDevice& device_;
    bool started_ = false;
    SDL_Window* window_ = nullptr;
    EventWait wait_;
    bool windowed_ = false;
    std::unique_ptr<Presenter> presenter_;
    std::unique_ptr<PresentPacer> pacer_;
    IdleSchedule idle_;
    bool shown_ = false;
    bool boxShown_ = false;
    // Buttons and modifiers as of the event being translated.
    std::uint32_t buttons_ = 0;
    std::uint16_t modifiers_ = 0;
};

}  // namespace velmora::platform
