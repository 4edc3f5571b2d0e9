#pragma once

// The window-system layer with its own message queue: windows, dispatch,
// posting and quitting live here; a back end (the SDL desktop or the
// scripted headless one) supplies input, boxes, the pointer and time.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/faults.h"
#include "platform/window/window_system.h"

namespace velmora::platform {

class QueuedWindowSystem : public WindowSystem {
  public:
    explicit QueuedWindowSystem(FaultInjector& faults) : faults_(faults) {}

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
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    SHORT GetKeyState(int virtualKey) override;
    void DragAcceptFiles(HWND window, bool accept) override;
    UINT DragQueryFileA(HDROP drop, UINT index, char* file, UINT size) override;
    void DragFinish(HDROP drop) override;

    HCURSOR SetCursor(HCURSOR cursor) override;
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;

    std::int32_t MillisecondClock() override;

    bool IsWindow(HWND window) const { return windows_.count(window) != 0; }
    bool CursorHidden() const { return cursor_ == 0; }
    std::size_t QueuedMessages() const { return queue_.size(); }

    // Modifier keys held when a key message was sent.
    static constexpr std::uint8_t kShiftHeld = 1;
    static constexpr std::uint8_t kControlHeld = 2;

  protected:
    // Input from the back end lands here, with the modifiers held then.
    void Enqueue(const MSG& message, std::uint8_t modifiers = 0) {
        queue_.push_back({message, modifiers});
    }
    // Files dropped on the main window, when it accepts them.
    void EnqueueDrop(std::vector<std::string> paths);
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
    struct Queued {
        MSG message;
        std::uint8_t modifiers = 0;
    };
    std::deque<Queued> queue_;
    std::uint8_t modifiers_ = 0;  // of the message taken last
    bool acceptsDrops_ = false;
    std::map<HDROP, std::vector<std::string>> drops_;
    HDROP nextDrop_ = 1;
    HCURSOR cursor_ = 1;
};

}  // namespace velmora::platform
