#include "platform/window/queued.h"

#include <algorithm>

namespace velmora::platform {

namespace {

constexpr HCURSOR kArrowCursor = 1;
constexpr HBRUSH kBlackBrush = 4;

bool InRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

}  // namespace

ATOM QueuedWindowSystem::RegisterClassA(const WNDCLASSA& windowClass) {
    if (windowClass.lpszClassName.empty() || !windowClass.lpfnWndProc ||
        classes_.count(windowClass.lpszClassName) != 0) {
        return 0;
    }
    classes_.emplace(windowClass.lpszClassName, windowClass);
    return static_cast<ATOM>(classes_.size());
}

// The program ships no icon; the class gets none.
HICON QueuedWindowSystem::LoadIconA(HMODULE /*module*/, std::uintptr_t /*id*/) const {
    return 0;
}

HCURSOR QueuedWindowSystem::LoadCursorA(HMODULE module, std::uintptr_t id) const {
    return module == 0 && id == IDC_ARROW ? kArrowCursor : 0;
}

HBRUSH QueuedWindowSystem::GetStockObject(int id) const {
    return id == BLACK_BRUSH ? kBlackBrush : 0;
}

int QueuedWindowSystem::GetSystemMetrics(int index) const {
    switch (index) {
        case SM_CXSCREEN:
            return ScreenWidth();
        case SM_CYSCREEN:
            return ScreenHeight();
        default:
            return 0;
    }
}

HWND QueuedWindowSystem::CreateWindowExA(DWORD /*exStyle*/, const char* className,
                                         const char* /*title*/, DWORD /*style*/, int /*x*/,
                                         int /*y*/, int width, int height, HWND /*parent*/,
                                         std::uintptr_t /*menu*/, HMODULE /*instance*/,
                                         void* /*parameter*/) {
    if (faults_.ShouldFail(Operation::kCreateWindow)) {
        return 0;
    }
    if (className == nullptr || width <= 0 || height <= 0) {
        return 0;
    }
    const auto it = classes_.find(className);
    if (it == classes_.end()) {
        return 0;
    }
    const HWND window = nextWindow_++;
    windows_.emplace(window, Window{it->second.lpfnWndProc, false});
    return window;
}

bool QueuedWindowSystem::ShowWindow(HWND window, int /*showCode*/) {
    const auto it = windows_.find(window);
    if (it == windows_.end()) {
        return false;
    }
    const bool wasVisible = it->second.visible;
    it->second.visible = true;
    WindowShown(window);
    // A shown full-screen window becomes the foreground window.
    SendMessageA(window, WM_ACTIVATEAPP, 1, 0);
    return wasVisible;
}

bool QueuedWindowSystem::UpdateWindow(HWND window) {
    return IsWindow(window);
}

bool QueuedWindowSystem::DestroyWindow(HWND window) {
    if (!IsWindow(window)) {
        return false;
    }
    WindowDestroying(window);
    SendMessageA(window, WM_DESTROY, 0, 0);
    windows_.erase(window);
    // Whatever was still queued for the window goes with it.
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [window](const Queued& q) { return q.message.hwnd == window; }),
                 queue_.end());
    return true;
}

LRESULT QueuedWindowSystem::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto it = windows_.find(window);
    if (it == windows_.end()) {
        return 0;
    }
    // The procedure may destroy the window: call a copy.
    const WNDPROC procedure = it->second.procedure;
    return procedure(window, message, wParam, lParam);
}

bool QueuedWindowSystem::PeekMessageA(MSG* message, HWND /*window*/, UINT first, UINT last,
                                      UINT remove) {
    if (message == nullptr) {
        return false;
    }
    if (queue_.empty()) {
        Pump(false);
    }
    const auto it = std::find_if(queue_.begin(), queue_.end(), [&](const Queued& q) {
        return InRange(q.message.message, first, last);
    });
    if (it == queue_.end()) {
        return false;
    }
    *message = it->message;
    if ((remove & PM_REMOVE) != 0) {
        modifiers_ = it->modifiers;
        queue_.erase(it);
    }
    return true;
}

int QueuedWindowSystem::GetMessageA(MSG* message, HWND window, UINT first, UINT last) {
    if (message == nullptr) {
        return -1;
    }
    while (!PeekMessageA(message, window, first, last, PM_REMOVE)) {
        if (!Pump(true)) {
            // No input can ever arrive again: end the loop as a quit would.
            *message = MSG{0, WM_QUIT, 0, 0};
            return 0;
        }
    }
    return message->message == WM_QUIT ? 0 : 1;
}

// Keys need no character messages here: nothing to translate.
bool QueuedWindowSystem::TranslateMessage(const MSG* /*message*/) {
    return false;
}

LRESULT QueuedWindowSystem::DispatchMessageA(const MSG* message) {
    if (message == nullptr) {
        return 0;
    }
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

bool QueuedWindowSystem::WaitMessage() {
    if (!queue_.empty()) {
        return true;
    }
    return Pump(true);
}

LRESULT QueuedWindowSystem::DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/,
                                           LPARAM /*lParam*/) {
    if (message == WM_CLOSE) {
        DestroyWindow(window);
    }
    return 0;
}

bool QueuedWindowSystem::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(window)) {
        return false;
    }
    queue_.push_back({MSG{window, message, wParam, lParam}});
    return true;
}

void QueuedWindowSystem::PostQuitMessage(int exitCode) {
    queue_.push_back({MSG{0, WM_QUIT, static_cast<WPARAM>(exitCode), 0}});
}

SHORT QueuedWindowSystem::GetKeyState(int virtualKey) {
    const std::uint8_t held = static_cast<WPARAM>(virtualKey) == VK_SHIFT     ? kShiftHeld
                              : static_cast<WPARAM>(virtualKey) == VK_CONTROL ? kControlHeld
                                                                              : 0;
    return (modifiers_ & held) != 0 ? static_cast<SHORT>(-0x8000) : SHORT{0};
}

void QueuedWindowSystem::DragAcceptFiles(HWND window, bool accept) {
    if (IsWindow(window)) {
        acceptsDrops_ = accept;
    }
}

void QueuedWindowSystem::EnqueueDrop(std::vector<std::string> paths) {
    const HWND window = MainWindow();
    if (window == 0 || !acceptsDrops_ || paths.empty()) {
        return;
    }
    const HDROP drop = nextDrop_++;
    drops_[drop] = std::move(paths);
    Enqueue(MSG{window, WM_DROPFILES, drop, 0});
}

UINT QueuedWindowSystem::DragQueryFileA(HDROP drop, UINT index, char* file, UINT size) {
    const auto it = drops_.find(drop);
    if (it == drops_.end()) {
        return 0;
    }
    const std::vector<std::string>& paths = it->second;
    if (index == 0xFFFFFFFFU) {
        return static_cast<UINT>(paths.size());
    }
    if (index >= paths.size()) {
        return 0;
    }
    const std::string& path = paths[index];
    if (file == nullptr || size == 0) {
        return static_cast<UINT>(path.size());
    }
    const std::size_t copied = std::min<std::size_t>(path.size(), size - 1);
    std::copy_n(path.begin(), copied, file);
    file[copied] = '\0';
    return static_cast<UINT>(copied);
}

void QueuedWindowSystem::DragFinish(HDROP drop) {
    drops_.erase(drop);
}

HCURSOR QueuedWindowSystem::SetCursor(HCURSOR cursor) {
    const HCURSOR previous = cursor_;
    cursor_ = cursor;
    ShowPointer(cursor != 0);
    return previous;
}

int QueuedWindowSystem::MessageBoxA(HWND owner, const char* text, const char* caption,
                                    UINT /*type*/) {
    ShowBox(owner, text != nullptr ? text : "", caption != nullptr ? caption : "");
    return IDOK;
}

std::int32_t QueuedWindowSystem::MillisecondClock() {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(MillisecondsNow()));
}

void QueuedWindowSystem::DropInput() {
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [](const Queued& q) {
                                    const UINT m = q.message.message;
                                    return m == WM_MOUSEMOVE || m == WM_LBUTTONDOWN ||
                                           m == WM_KEYDOWN;
                                }),
                 queue_.end());
}

}  // namespace velmora::platform
