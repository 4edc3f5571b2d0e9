#pragma once

// The window-system layer on the real USER32: the system owns the windows,
// the message queue and the boxes. Window classes keep our std::function
// procedures; one system window procedure forwards each message to the
// procedure of the window's class.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/present.h"
#include "platform/window/window_system.h"

namespace velmora::platform::win32 {

// The last message taken from the queue, with the time and pointer position
// that our MSG has no room for: translate and dispatch hand the system that
// message again when they are given it back.
struct TakenMessage {
    MSG message;
    DWORD time = 0;
    LONG x = 0;
    LONG y = 0;
    bool valid = false;
};

class Win32WindowSystem : public WindowSystem {
  public:
    // One per process: the system window procedure serves this one.
    Win32WindowSystem();
    ~Win32WindowSystem() override;

    ATOM RegisterClassA(const WNDCLASSA& windowClass) override;
    HICON LoadIconA(HMODULE module, std::uintptr_t id) const override;
    HCURSOR LoadCursorA(HMODULE module, std::uintptr_t id) const override;
    HBRUSH GetStockObject(int id) const override;
    int GetSystemMetrics(int index) const override;
    HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style,
                         int x, int y, int width, int height, HWND parent, std::uintptr_t menu,
                         HMODULE instance, void* parameter) override;
    bool ShowWindow(HWND window, int showCode) override;
    bool UpdateWindow(HWND window) override;
    bool DestroyWindow(HWND window) override;

    bool PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove) override;
    int GetMessageA(MSG* message, HWND window, UINT first, UINT last) override;
    bool TranslateMessage(const MSG* message) override;
    LRESULT DispatchMessageA(const MSG* message) override;
    bool WaitMessage() override;
    LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostQuitMessage(int exitCode) override;

    SHORT GetKeyState(int virtualKey) override;
    void DragAcceptFiles(HWND window, bool accept) override;
    UINT DragQueryFileA(HDROP drop, UINT index, char* file, UINT size) override;
    void DragFinish(HDROP drop) override;

    HCURSOR SetCursor(HCURSOR cursor) override;
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;

    std::uint32_t CalendarSeconds() override;
    std::int32_t MillisecondClock() override;
    std::string TimeStamp() override;

    // Called before every message box is shown (the display brings the
    // surface GDI draws on to the front).
    void SetBeforeMessageBox(std::function<void()> hook) { beforeMessageBox_ = std::move(hook); }
    // A box whose text is exactly `text` gets `addition` as a line of its own.
    void AddToBox(std::string text, std::string addition) {
        boxAddition_ = {std::move(text), std::move(addition)};
    }
    // Called after a window of ours has painted itself (WM_PAINT handled):
    // the window is on screen again after it was hidden or covered.
    void SetAfterPaint(std::function<void()> hook) { afterPaint_ = std::move(hook); }

    // Runs the procedure of the window's class (default processing for a
    // class registered elsewhere). Called by the system window procedure.
    LRESULT CallClassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  protected:
    // Nothing is waiting and the loop is about to take its idle step: waits
    // until that step is due (false) or input arrives (true).
    virtual bool WaitForInputOrNextFrame();
    // Sees a message before the window's procedure does and may change its
    // parameters; true when it handled the message itself (with `result`).
    virtual bool Intercept(HWND /*window*/, UINT /*message*/, WPARAM& /*wParam*/,
                           LPARAM& /*lParam*/, LRESULT& /*result*/) {
        return false;
    }
    // The loop's idle passes come once per frame the screen can show; the
    // interval is zero until the display's refresh rate has been read.
    IdleSchedule& Idle();

  private:
    std::map<std::string, std::shared_ptr<const WNDPROC>> classes_;  // by lower-case name
    std::unordered_map<HWND, std::shared_ptr<const WNDPROC>> windows_;
    TakenMessage taken_;
    std::function<void()> beforeMessageBox_;
    std::pair<std::string, std::string> boxAddition_;
    std::function<void()> afterPaint_;
    IdleSchedule idle_;
};

}  // namespace velmora::platform::win32
