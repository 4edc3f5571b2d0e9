#pragma once

// Our window-system layer: window classes, one full-screen window, the
// message queue and dispatch, modal message boxes, the cursor and the two
// clocks. The program speaks only to this interface; who owns the queue is
// the implementation's business (our own queue in queued.h, fed by the SDL
// desktop or the scripted headless back end; the real USER32 on Windows).

#include <cstdint>
#include <functional>
#include <string>

#include "platform/types.h"

namespace velmora::platform {

using ATOM = std::uint16_t;
using HCURSOR = std::uintptr_t;
using HICON = std::uintptr_t;
using HBRUSH = std::uintptr_t;
using HDROP = std::uintptr_t;
using SHORT = std::int16_t;

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_DROPFILES = 0x0233;

constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_F1 = 0x70;
constexpr WPARAM VK_F2 = 0x71;
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
    WindowSystem() = default;
    virtual ~WindowSystem() = default;
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    virtual ATOM RegisterClassA(const WNDCLASSA& windowClass) = 0;
    virtual HICON LoadIconA(HMODULE module, std::uintptr_t id) const = 0;
    virtual HCURSOR LoadCursorA(HMODULE module, std::uintptr_t id) const = 0;
    virtual HBRUSH GetStockObject(int id) const = 0;
    virtual int GetSystemMetrics(int index) const = 0;
    virtual HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title,
                                 DWORD style, int x, int y, int width, int height, HWND parent,
                                 std::uintptr_t menu, HMODULE instance, void* parameter) = 0;
    virtual bool ShowWindow(HWND window, int showCode) = 0;
    virtual bool UpdateWindow(HWND window) = 0;
    virtual bool DestroyWindow(HWND window) = 0;

    virtual bool PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove) = 0;
    virtual int GetMessageA(MSG* message, HWND window, UINT first, UINT last) = 0;
    virtual bool TranslateMessage(const MSG* message) = 0;
    virtual LRESULT DispatchMessageA(const MSG* message) = 0;
    virtual bool WaitMessage() = 0;
    virtual LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;

    // The state of a key as of the message being handled: negative (the
    // high bit set) while it is held down.
    virtual SHORT GetKeyState(int virtualKey) = 0;

    // Files dropped on a window that accepts them arrive as WM_DROPFILES,
    // wParam the drop: DragQueryFileA with index 0xFFFFFFFF counts its
    // files, with a null buffer gives a name's length, else copies the name
    // (cut to fit, ended by a zero); DragFinish lets the drop go.
    virtual void DragAcceptFiles(HWND window, bool accept) = 0;
    virtual UINT DragQueryFileA(HDROP drop, UINT index, char* file, UINT size) = 0;
    virtual void DragFinish(HDROP drop) = 0;

    virtual HCURSOR SetCursor(HCURSOR cursor) = 0;
    virtual int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) = 0;

    // Calendar time in whole seconds, and the signed 32-bit milliseconds since
    // the process started.
    virtual std::uint32_t CalendarSeconds() = 0;
    virtual std::int32_t MillisecondClock() = 0;
    // The date and time now as "YYYYMMDD-HHMMSS" (local time on a desktop),
    // for the names of saved files.
    virtual std::string TimeStamp() = 0;

    // Shows `view` (640x480 ARGB8888, stride 640 pixels, kept alive by the
    // caller while shown) in place of the screen, or the screen again for
    // nullptr; never touches the display's surfaces or palettes. False, and
    // nothing changes, when this back end cannot show such a view.
    virtual bool ShowView(const std::uint32_t* view) { return view == nullptr; }
    // The pixels of the view being shown changed.
    virtual void ViewChanged() {}
};

}  // namespace velmora::platform
