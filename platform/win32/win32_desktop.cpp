#include "platform/win32/win32_desktop.h"

#include <algorithm>
#include <chrono>

// Last: it defines many of the names above as macros.
#include "platform/win32/convert.h"

namespace velmora::platform::win32 {

namespace {

using Clock = PresentPacer::Clock;

constexpr int kPictureWidth = DisplayDevice::kScreenWidth;
constexpr int kPictureHeight = DisplayDevice::kScreenHeight;
// Movable and closable, with a minimise box; no sizing border, no maximise.
constexpr ::DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr ::WPARAM kButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

// Waits up to `wait` for input; true when it came.
bool InputWithin(Clock::duration wait) {
    const auto milliseconds =
        std::max<std::int64_t>(1, std::chrono::ceil<std::chrono::milliseconds>(wait).count());
    return ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<::DWORD>(milliseconds),
                                         QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
}

// A client-area position in picture pixels, kept on the picture: a drag
// that leaves the window paints at its edge.
::LPARAM PicturePosition(::LPARAM client, int scale) {
    const int x = static_cast<short>(LOWORD(client));
    const int y = static_cast<short>(HIWORD(client));
    const int px = std::clamp(x < 0 ? 0 : x / scale, 0, kPictureWidth - 1);
    const int py = std::clamp(y < 0 ? 0 : y / scale, 0, kPictureHeight - 1);
    return MAKELPARAM(px, py);
}

}  // namespace

Win32DesktopWindowSystem::Win32DesktopWindowSystem(const DisplayDevice& device,
                                                   GdiPresenter::Path path)
    : presenter_(device, path), pacer_(Idle().Interval()) {}

platform::HWND Win32DesktopWindowSystem::CreateWindowExA(
    platform::DWORD exStyle, const char* className, const char* title, platform::DWORD /*style*/,
    int /*x*/, int /*y*/, int /*width*/, int /*height*/, platform::HWND parent, std::uintptr_t menu,
    platform::HMODULE instance, void* parameter) {
    ::RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoA(::MonitorFromPoint(::POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor) !=
        FALSE) {
        work = monitor.rcWork;
    }
    const int roomWidth = work.right - work.left;
    const int roomHeight = work.bottom - work.top;
    // The largest whole scale whose window, decorations included, fits.
    ::RECT frame{};
    for (scale_ = std::max(1, std::min(roomWidth / kPictureWidth, roomHeight / kPictureHeight));;
         --scale_) {
        frame = ::RECT{0, 0, kPictureWidth * scale_, kPictureHeight * scale_};
        ::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, exStyle);
        if (scale_ == 1 ||
            (frame.right - frame.left <= roomWidth && frame.bottom - frame.top <= roomHeight)) {
            break;
        }
    }
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    window_ = Win32WindowSystem::CreateWindowExA(exStyle, className, title, kWindowStyle,
                                                 work.left + std::max(0, (roomWidth - width) / 2),
                                                 work.top + std::max(0, (roomHeight - height) / 2),
                                                 width, height, parent, menu, instance, parameter);
    return window_;
}

bool Win32DesktopWindowSystem::ShowView(const std::uint32_t* view) {
    presenter_.ShowView(view);
    return true;
}

void Win32DesktopWindowSystem::ViewChanged() {
    presenter_.ViewChanged();
}

// Presents now, or counts the window as up to date where nothing can be
// seen (not yet made, minimised): it paints itself when it shows again.
bool Win32DesktopWindowSystem::PresentNow() {
    const ::HWND window = SystemHandle<::HWND>(window_);
    bool drawn = false;
    if (window != nullptr && ::IsWindowVisible(window) != FALSE && ::IsIconic(window) == FALSE) {
        if (const ::HDC dc = ::GetDC(window); dc != nullptr) {
            drawn = presenter_.Present(HandleValue(dc), scale_);
            ::ReleaseDC(window, dc);
        }
    }
    pacer_.Presented(drawn ? presenter_.ShownGeneration() : presenter_.Generation(), Clock::now());
    return drawn;
}

void Win32DesktopWindowSystem::PresentIfDue(bool inputWaiting) {
    if (pacer_.Due(presenter_.Generation(), Clock::now(), inputWaiting)) {
        PresentNow();
    }
}

bool Win32DesktopWindowSystem::PeekMessageA(platform::MSG* message, platform::HWND window,
                                            platform::UINT first, platform::UINT last,
                                            platform::UINT remove) {
    const bool waiting = Win32WindowSystem::PeekMessageA(message, window, first, last, remove);
    if (waiting) {
        PresentIfDue(true);
    }
    return waiting;
}

// As the exclusive screen's, and changes are shown on time meanwhile.
bool Win32DesktopWindowSystem::WaitForInputOrNextFrame() {
    while (true) {
        PresentIfDue(false);
        const Clock::time_point now = Clock::now();
        if (Idle().Take(now)) {
            return false;
        }
        Clock::duration wait = Idle().Until(now);
        if (pacer_.Pending(presenter_.Generation())) {
            wait = std::min(wait, pacer_.UntilDue(now));
        }
        if (InputWithin(wait)) {
            return true;
        }
    }
}

// In the background the loop only waits; what changed meanwhile (a file
// dropped from another program) is still shown on time.
bool Win32DesktopWindowSystem::WaitMessage() {
    while (pacer_.Pending(presenter_.Generation())) {
        const Clock::duration left = pacer_.UntilDue(Clock::now());
        if (left == Clock::duration::zero()) {
            PresentNow();
        } else if (InputWithin(left)) {
            return true;
        }
    }
    return Win32WindowSystem::WaitMessage();
}

int Win32DesktopWindowSystem::MessageBoxA(platform::HWND owner, const char* text,
                                          const char* caption, platform::UINT type) {
    // What stays visible around the box is what the program drew last.
    if (pacer_.Pending(presenter_.Generation())) {
        PresentNow();
    }
    return Win32WindowSystem::MessageBoxA(owner, text, caption, type);
}

bool Win32DesktopWindowSystem::Intercept(platform::HWND window, platform::UINT message,
                                         platform::WPARAM& wParam, platform::LPARAM& lParam,
                                         platform::LRESULT& result) {
    if (window != window_ || window_ == 0) {
        return false;
    }
    const ::HWND system = SystemHandle<::HWND>(window);
    switch (message) {
        case WM_ERASEBKGND:
            result = 1;  // the picture covers the whole client area
            return true;
        case WM_PAINT: {
            ::PAINTSTRUCT paint{};
            const ::HDC dc = ::BeginPaint(system, &paint);
            const bool drawn = dc != nullptr && presenter_.Present(HandleValue(dc), scale_);
            ::EndPaint(system, &paint);
            if (drawn) {
                pacer_.Presented(presenter_.ShownGeneration(), Clock::now());
            } else {
                pacer_.Invalidate();
            }
            result = 0;
            return true;
        }
        case WM_SETCURSOR:
            // The pointer hides over the picture only; the caption and the
            // frame keep theirs.
            if (LOWORD(lParam) != HTCLIENT) {
                result = ::DefWindowProcA(system, message, wParam, lParam);
                return true;
            }
            return false;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // Held, the button keeps the pointer's moves coming from outside.
            ::SetCapture(system);
            lParam = PicturePosition(lParam, scale_);
            return false;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if ((wParam & kButtons) == 0) {
                ::ReleaseCapture();
            }
            lParam = PicturePosition(lParam, scale_);
            return false;
        case WM_MOUSEMOVE:
            lParam = PicturePosition(lParam, scale_);
            return false;
        default:
            return false;
    }
}

}  // namespace velmora::platform::win32
