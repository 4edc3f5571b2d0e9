#pragma once

// Our window-system layer: window classes, one full-screen window, the
// message queue and dispatch, modal message boxes, the cursor and the two
// clocks. The queue logic lives here; a back end (the SDL desktop or the
// scripted headless one) supplies input, boxes, the pointer and time.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "platform/faults.h"
#include "platform/types.h"

namespace velmora::platform {

using ATOM = std::uint16_t;
using HCURSOR = std::uint32_t;
using HICON = std::uint32_t;
using HBRUSH = std::uint32_t;

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;

constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_F1 = 0x70;
constexpr WPARAM VK_F12 = 0x7B;

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr DWORD WS_POPUP = 0x80000000U;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT MB_OK = 0x0000;
constexpr int IDOK = 1;
constexpr int SW_SHOWDEFAULT = 10;
constexpr int BLACK_BRUSH = 4;
constexpr std::uintptr_t IDI_APPLICATION = 32512;
constexpr std::uintptr_t IDC_ARROW = 32512;

struct MSG {
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

using WNDPROC = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

struct WNDCLASSA {
    UINT style = 0;
    WNDPROC lpfnWndProc;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HMODULE hInstance = 0;
    HICON hIcon = 0;
    HCURSOR hCursor = 0;
    HBRUSH hbrBackground = 0;
    std::string lpszMenuName;
    std::string lpszClassName;
};

class WindowSystem {
  public:
    explicit WindowSystem(FaultInjector& faults) : faults_(faults) {}
    virtual ~WindowSystem() = default;
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    ATOM RegisterClassA(const WNDCLASSA& windowClass);
    HICON LoadIconA(HMODULE module, std::uintptr_t id) const;
    HCURSOR LoadCursorA(HMODULE module, std::uintptr_t id) const;
    HBRUSH GetStockObject(int id) const;
    int GetSystemMetrics(int index) const;
    HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style,
                         int x, int y, int width, int height, HWND parent, std::uint32_t menu,
                         HMODULE instance, void* parameter);
    bool ShowWindow(HWND window, int showCode);
    bool UpdateWindow(HWND window);
    bool DestroyWindow(HWND window);

    bool PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove);
    int GetMessageA(MSG* message, HWND window, UINT first, UINT last);
    bool TranslateMessage(const MSG* message);
    LRESULT DispatchMessageA(const MSG* message);
    bool WaitMessage();
    LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PostQuitMessage(int exitCode);
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HCURSOR SetCursor(HCURSOR cursor);
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

    // Calendar time in whole seconds, and the signed 32-bit milliseconds since
    // the process started.
    virtual std::uint32_t CalendarSeconds() = 0;
    std::int32_t MillisecondClock();

    bool IsWindow(HWND window) const { return windows_.count(window) != 0; }
    bool CursorHidden() const { return cursor_ == 0; }
    std::size_t QueuedMessages() const { return queue_.size(); }

  protected:
    // Input from the back end lands here.
    void Enqueue(const MSG& message) { queue_.push_back(message); }
    // Moves whatever input has arrived into the queue; with `wait`, blocks
    // until at least one message is queued. False when no input can ever come.
    virtual bool Pump(bool wait) = 0;
    virtual void ShowBox(HWND owner, const std::string& text, const std::string& caption) = 0;
    virtual void ShowPointer(bool visible) = 0;
    virtual void WindowShown(HWND /*window*/) {}
    virtual void WindowDestroying(HWND /*window*/) {}
    // Milliseconds since the process started.
    virtual std::int64_t MillisecondsNow() = 0;
    virtual int ScreenWidth() const { return 640; }
    virtual int ScreenHeight() const { return 480; }
    // Input that arrived while a modal box was open is dropped.
    void DropInput();
    HWND MainWindow() const { return windows_.empty() ? 0 : windows_.begin()->first; }

    FaultInjector& faults_;

  private:
    struct Window {
        WNDPROC procedure;
        bool visible = false;
    };
    std::map<std::string, WNDCLASSA> classes_;
    std::map<HWND, Window> windows_;
    HWND nextWindow_ = 1;
    std::deque<MSG> queue_;
    HCURSOR cursor_ = 1;
};

}  // namespace velmora::platform
