#include "platform/sdl/desktop.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "platform/files.h"
#include "platform/sdl/input.h"
#include "platform/sdl/presenter.h"

namespace velmora::platform {

namespace {

using Clock = PresentPacer::Clock;

// Taken during static initialisation: as near to the process start as the
// program can see.
const Clock::time_point kProcessStart = Clock::now();

constexpr LPARAM kHitClient = 1;  // HTCLIENT: the pointer is over the picture
constexpr int kPictureWidth = DisplayDevice::kScreenWidth;
constexpr int kPictureHeight = DisplayDevice::kScreenHeight;

// The largest whole number of window pixels per picture pixel that fits a
// room of this size; at least one, the picture is then cut off.
int WholeScale(int width, int height) {
    return std::max(1, std::min(width / kPictureWidth, height / kPictureHeight));
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (SDL_tolower(static_cast<unsigned char>(a[i])) !=
            SDL_tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// SDL_VIDEODRIVER may list several drivers, separated by commas.
bool RequestedByEnvironment(std::string_view driver) {
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    if (requested == nullptr) {
        return false;
    }
    std::string_view list(requested);
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        if (SameName(list.substr(0, comma), driver)) {
            return true;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        list.remove_prefix(comma + 1);
    }
    return false;
}

bool Invisible(std::string_view driver) {
    return SameName(driver, "offscreen") || SameName(driver, "dummy");
}

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace

SdlWindowSystem::SdlWindowSystem(FaultInjector& faults, const DisplayDevice& device)
    : QueuedWindowSystem(faults), device_(device) {}

SdlWindowSystem::~SdlWindowSystem() {
    presenter_.reset();
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
    }
    if (started_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Quit();
    }
}

std::string SdlWindowSystem::Open(const std::string& title, bool windowed) {
    // A full-screen window stays put when the program loses the focus to one
    // of its own boxes; a close of the window is a WM_CLOSE, not a quit.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return std::string("cannot start the video subsystem: ") + SDL_GetError();
    }
    started_ = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) {
        return "no video driver is available";
    }
    if (Invisible(driver) && !RequestedByEnvironment(driver)) {
        return std::string("no display to show the window on (SDL fell back to its invisible '") +
               driver + "' driver; is DISPLAY set?)";
    }
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        return std::string("cannot read the desktop's size: ") + SDL_GetError();
    }
    windowed_ = windowed;
    if (windowed) {
        // Whole pixels, so the dots stay sharp; not resizable, though the
        // scaling copes with a window manager that resizes it anyway.
        SDL_Rect usable{0, 0, desktop.w, desktop.h};
        SDL_GetDisplayUsableBounds(0, &usable);
        const int scale = WholeScale(usable.w, usable.h);
        window_ =
            SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             kPictureWidth * scale, kPictureHeight * scale, SDL_WINDOW_HIDDEN);
    } else {
        // The desktop's own size at (0, 0): without a window manager a
        // full-screen window would otherwise keep the size it was made with.
        // No mode switch: the picture is scaled instead.
        window_ = SDL_CreateWindow(title.c_str(), 0, 0, desktop.w, desktop.h,
                                   SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_HIDDEN);
    }
    if (window_ == nullptr) {
        return std::string("cannot create the window: ") + SDL_GetError();
    }
    wait_.Attach(window_);
    presenter_ = std::make_unique<Presenter>(device_);
    if (std::string failure = presenter_->Open(window_, windowed); !failure.empty()) {
        return failure;
    }
    idle_.SetInterval(presenter_->RefreshInterval());
    pacer_ = std::make_unique<PresentPacer>(idle_.Interval());
    return {};
}

std::uint32_t SdlWindowSystem::CalendarSeconds() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

std::string SdlWindowSystem::TimeStamp() {
    return LocalTimeStamp(std::time(nullptr));
}

bool SdlWindowSystem::ShowView(const std::uint32_t* view) {
    if (!presenter_) {
        return view == nullptr;
    }
    presenter_->ShowView(view);
    return true;
}

void SdlWindowSystem::ViewChanged() {
    if (presenter_) {
        presenter_->ViewChanged();
    }
}

std::uint64_t SdlWindowSystem::Generation() const {
    return presenter_->Generation();
}

std::uint64_t SdlWindowSystem::Presentations() const {
    return presenter_ ? presenter_->Presentations() : 0;
}

std::int64_t SdlWindowSystem::MillisecondsNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - kProcessStart)
        .count();
}

void SdlWindowSystem::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = MainWindow();
    if (window != 0) {
        Enqueue(MSG{window, message, wParam, lParam});
    }
}

void SdlWindowSystem::SetCursorForWindow() {
    const HWND window = MainWindow();
    if (window != 0) {
        SendMessageA(window, WM_SETCURSOR, window,
                     kHitClient | static_cast<LPARAM>(WM_MOUSEMOVE) << 16);
    }
}

void SdlWindowSystem::TakeFocus() {
    SDL_RaiseWindow(window_);
    SDL_SetWindowInputFocus(window_);
}

void SdlWindowSystem::WindowShown(HWND /*window*/) {
    if (window_ == nullptr) {
        return;
    }
    SDL_ShowWindow(window_);
    if (windowed_) {
        FitWindowToDisplay();
    } else {
        TakeFocus();
    }
    shown_ = true;
    SetCursorForWindow();
    pacer_->Invalidate();
    PresentNow();
}

// A window's decorations are known only once it is on screen: where they
// push it past the desktop's usable area, step down to a scale that leaves
// room for them.
void SdlWindowSystem::FitWindowToDisplay() {
    const int display = SDL_GetWindowDisplayIndex(window_);
    SDL_Rect usable;
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0 ||
        SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) {
        return;
    }
    const int scale = WholeScale(usable.w - left - right, usable.h - top - bottom);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window_, &width, &height);
    if (kPictureWidth * scale < width) {
        SDL_SetWindowSize(window_, kPictureWidth * scale, kPictureHeight * scale);
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    }
}

void SdlWindowSystem::WindowDestroying(HWND /*window*/) {
    if (window_ != nullptr && shown_) {
        SDL_HideWindow(window_);
    }
    shown_ = false;
}

void SdlWindowSystem::ShowPointer(bool visible) {
    if (started_) {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }
}

bool SdlWindowSystem::PresentNow() {
    if (!shown_ || !presenter_->Present()) {
        return false;
    }
    pacer_->Presented(presenter_->ShownGeneration(), Clock::now());
    return true;
}

void SdlWindowSystem::PresentIfDue(bool inputWaiting) {
    if (shown_ && pacer_->Due(Generation(), Clock::now(), inputWaiting)) {
        PresentNow();
    }
}

void SdlWindowSystem::Drain() {
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        Translate(event);
    }
}

bool SdlWindowSystem::Pump(bool wait) {
    if (window_ == nullptr) {
        return false;
    }
    Drain();
    if (!wait) {
        if (QueuedMessages() != 0) {
            PresentIfDue(true);
            return true;
        }
        PaceIdlePass();
        return QueuedMessages() != 0;
    }
    while (QueuedMessages() == 0) {
        // Show what is pending before sleeping, though no sooner than the
        // pacer allows: sleep until then if input does not come first.
        int timeout = -1;
        if (shown_ && pacer_->Pending(Generation())) {
            const auto left = pacer_->UntilDue(Clock::now());
            if (left != Clock::duration::zero()) {
                timeout =
                    static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
            } else if (PresentNow()) {
                continue;
            }
            // Otherwise the primary is locked, and stays so while we sleep.
        }
        if (!wait_.Wait(timeout) && timeout < 0) {
            return false;  // the event source is gone
        }
        Drain();
    }
    PresentIfDue(true);
    return true;
}

// Nothing is waiting, so the loop is about to take its idle step (the
// flicker step). More than one per shown frame is work no one sees: sleep
// until the next frame is due, showing pending changes on time meanwhile,
// and return at once when input arrives.
void SdlWindowSystem::PaceIdlePass() {
    while (QueuedMessages() == 0) {
        PresentIfDue(false);
        const Clock::time_point now = Clock::now();
        if (idle_.Take(now)) {
            return;
        }
        Clock::duration sleep = idle_.Until(now);
        if (shown_ && pacer_->Pending(Generation())) {
            sleep = std::min(sleep, pacer_->UntilDue(now));
        }
        const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(sleep).count();
        wait_.Wait(static_cast<int>(std::max<std::int64_t>(milliseconds, 1)));
        Drain();
    }
}

void SdlWindowSystem::ShowBox(HWND /*owner*/, const std::string& text, const std::string& caption) {
    // What stays visible around the box is what the program drew last.
    if (shown_ && pacer_->Pending(Generation())) {
        PresentNow();
    }
    boxShown_ = true;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(),
                                 shown_ ? window_ : nullptr) != 0) {
        std::fprintf(stderr, "%s: %s\n", OneLine(caption).c_str(), OneLine(text).c_str());
    }
    if (window_ == nullptr) {
        return;
    }
    // Input that arrived while the box was up was meant for the box.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MULTIGESTURE);
    DropInput();
    buttons_ = SDL_GetMouseState(nullptr, nullptr);
    modifiers_ = static_cast<std::uint16_t>(SDL_GetModState());
    if (shown_) {
        TakeFocus();
        pacer_->Invalidate();
    }
}

void SdlWindowSystem::Translate(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            Post(WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT:
            TranslateWindowEvent(event);
            break;
        case SDL_KEYDOWN: {
            modifiers_ = event.key.keysym.mod;
            const WPARAM key = VirtualKeyFor(event.key.keysym.sym, event.key.keysym.scancode);
            const HWND window = MainWindow();
            if (key != 0 && window != 0) {
                const auto mod = event.key.keysym.mod;
                Enqueue(MSG{window, WM_KEYDOWN, key, 0},
                        static_cast<std::uint8_t>(((mod & KMOD_SHIFT) != 0 ? kShiftHeld : 0) |
                                                  ((mod & KMOD_CTRL) != 0 ? kControlHeld : 0)));
            }
            break;
        }
        case SDL_DROPFILE:
            if (event.drop.file != nullptr) {
                EnqueueDrop({event.drop.file});
                SDL_free(event.drop.file);
            }
            break;
        case SDL_KEYUP:
            modifiers_ = event.key.keysym.mod;
            break;
        case SDL_MOUSEMOTION:
            buttons_ = event.motion.state;
            Post(WM_MOUSEMOVE, KeyStateWord(buttons_, modifiers_),
                 PackPointer(event.motion.x, event.motion.y));
            break;
        case SDL_MOUSEBUTTONDOWN:
            buttons_ |= SDL_BUTTON(event.button.button);
            if (event.button.button == SDL_BUTTON_LEFT) {
                Post(WM_LBUTTONDOWN, KeyStateWord(buttons_, modifiers_),
                     PackPointer(event.button.x, event.button.y));
            }
            break;
        case SDL_MOUSEBUTTONUP:
            buttons_ &= ~SDL_BUTTON(event.button.button);
            break;
        default:
            break;
    }
}

void SdlWindowSystem::TranslateWindowEvent(const SDL_Event& event) {
    switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            modifiers_ = static_cast<std::uint16_t>(SDL_GetModState());
            Post(WM_ACTIVATEAPP, 1, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            Post(WM_ACTIVATEAPP, 0, 0);
            break;
        case SDL_WINDOWEVENT_ENTER:
            SetCursorForWindow();
            break;
        case SDL_WINDOWEVENT_CLOSE:
            Post(WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
            if (pacer_) {
                pacer_->Invalidate();
            }
            break;
        default:
            break;
    }
}

}  // namespace velmora::platform
