#include "platform/win32/win32_window_system.h"

#include <cctype>
#include <chrono>
#include <ctime>
#include <utility>

#include "platform/files.h"
#include "platform/win32/convert.h"

namespace velmora::platform::win32 {

namespace {

Win32WindowSystem* current = nullptr;

// The millisecond clock counts from here.
const CalendarReading kProcessStart = ReadCalendar();

// The procedure of every class registered through us. An exception has no
// way back through the system's frames, so one ends the process here.
::LRESULT CALLBACK SystemWindowProcedure(::HWND window, ::UINT message, ::WPARAM wParam,
                                         ::LPARAM lParam) noexcept {
    if (current == nullptr) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    return current->CallClassProcedure(HandleValue(window), message, wParam, lParam);
}

// Class names compare without regard to case.
std::string ClassKey(const char* name) {
    std::string key = name;
    for (char& c : key) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return key;
}

void Remember(TakenMessage& taken, const ::MSG& system) {
    taken.message =
        platform::MSG{HandleValue(system.hwnd), system.message, system.wParam, system.lParam};
    taken.time = system.time;
    taken.x = system.pt.x;
    taken.y = system.pt.y;
    taken.valid = true;
}

::MSG Recall(const TakenMessage& taken, const platform::MSG& message) {
    ::MSG system{};
    system.hwnd = SystemHandle<::HWND>(message.hwnd);
    system.message = message.message;
    system.wParam = message.wParam;
    system.lParam = message.lParam;
    const platform::MSG& last = taken.message;
    if (taken.valid && last.hwnd == message.hwnd && last.message == message.message &&
        last.wParam == message.wParam && last.lParam == message.lParam) {
        system.time = taken.time;
        system.pt = ::POINT{taken.x, taken.y};
    } else {
        const ::DWORD position = ::GetMessagePos();
        system.time = static_cast<::DWORD>(::GetMessageTime());
        system.pt =
            ::POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    }
    return system;
}

// The refresh period of the display's current mode (60 Hz when it is not
// known, as the system's "default" rates 0 and 1 say).
std::chrono::steady_clock::duration RefreshInterval() {
    constexpr ::DWORD kFallbackHz = 60;
    ::DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    ::DWORD hz = kFallbackHz;
    if (::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) != FALSE &&
        mode.dmDisplayFrequency > 1) {
        hz = mode.dmDisplayFrequency;
    }
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
               std::chrono::seconds(1)) /
           hz;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem() {
    current = this;
}

Win32WindowSystem::~Win32WindowSystem() {
    if (current == this) {
        current = nullptr;
    }
}

platform::ATOM Win32WindowSystem::RegisterClassA(const platform::WNDCLASSA& windowClass) {
    ::WNDCLASSA system{};
    system.style = windowClass.style;
    system.lpfnWndProc = SystemWindowProcedure;
    system.cbClsExtra = windowClass.cbClsExtra;
    system.cbWndExtra = windowClass.cbWndExtra;
    system.hInstance = SystemHandle<::HINSTANCE>(windowClass.hInstance);
    system.hIcon = SystemHandle<::HICON>(windowClass.hIcon);
    system.hCursor = SystemHandle<::HCURSOR>(windowClass.hCursor);
    system.hbrBackground = SystemHandle<::HBRUSH>(windowClass.hbrBackground);
    system.lpszMenuName =
        windowClass.lpszMenuName.empty() ? nullptr : windowClass.lpszMenuName.c_str();
    system.lpszClassName = windowClass.lpszClassName.c_str();
    const ::ATOM atom = ::RegisterClassA(&system);
    if (atom != 0) {
        classes_[ClassKey(system.lpszClassName)] =
            std::make_shared<const platform::WNDPROC>(windowClass.lpfnWndProc);
    }
    return atom;
}

// Icons and cursors are asked for by number only: a larger value would be
// taken for the address of a name.
platform::HICON Win32WindowSystem::LoadIconA(platform::HMODULE module, std::uintptr_t id) const {
    if (id > 0xFFFF) {
        return 0;
    }
    return HandleValue(
        ::LoadIconA(SystemHandle<::HINSTANCE>(module), MAKEINTRESOURCEA(static_cast<::WORD>(id))));
}

platform::HCURSOR Win32WindowSystem::LoadCursorA(platform::HMODULE module,
                                                 std::uintptr_t id) const {
    if (id > 0xFFFF) {
        return 0;
    }
    return HandleValue(::LoadCursorA(SystemHandle<::HINSTANCE>(module),
                                     MAKEINTRESOURCEA(static_cast<::WORD>(id))));
}

platform::HBRUSH Win32WindowSystem::GetStockObject(int id) const {
    return HandleValue(::GetStockObject(id));
}

int Win32WindowSystem::GetSystemMetrics(int index) const {
    return ::GetSystemMetrics(index);
}

platform::HWND Win32WindowSystem::CreateWindowExA(platform::DWORD exStyle, const char* className,
                                                  const char* title, platform::DWORD style, int x,
                                                  int y, int width, int height,
                                                  platform::HWND parent, std::uintptr_t menu,
                                                  platform::HMODULE instance, void* parameter) {
    return HandleValue(::CreateWindowExA(exStyle, className, title, style, x, y, width, height,
                                         SystemHandle<::HWND>(parent), SystemHandle<::HMENU>(menu),
                                         SystemHandle<::HINSTANCE>(instance), parameter));
}

bool Win32WindowSystem::ShowWindow(platform::HWND window, int showCode) {
    return ::ShowWindow(SystemHandle<::HWND>(window), showCode) != FALSE;
}

bool Win32WindowSystem::UpdateWindow(platform::HWND window) {
    return ::UpdateWindow(SystemHandle<::HWND>(window)) != FALSE;
}

bool Win32WindowSystem::DestroyWindow(platform::HWND window) {
    return ::DestroyWindow(SystemHandle<::HWND>(window)) != FALSE;
}

bool Win32WindowSystem::PeekMessageA(platform::MSG* message, platform::HWND window,
                                     platform::UINT first, platform::UINT last,
                                     platform::UINT remove) {
    ::MSG system{};
    while (::PeekMessageA(&system, SystemHandle<::HWND>(window), first, last, remove) == FALSE) {
        if (!WaitForInputOrNextFrame()) {
            return false;
        }
    }
    Remember(taken_, system);
    if (message != nullptr) {
        *message = taken_.message;
    }
    return true;
}

int Win32WindowSystem::GetMessageA(platform::MSG* message, platform::HWND window,
                                   platform::UINT first, platform::UINT last) {
    ::MSG system{};
    const ::BOOL result = ::GetMessageA(&system, SystemHandle<::HWND>(window), first, last);
    if (result != -1) {
        Remember(taken_, system);
        if (message != nullptr) {
            *message = taken_.message;
        }
    }
    return result;
}

bool Win32WindowSystem::TranslateMessage(const platform::MSG* message) {
    if (message == nullptr) {
        return false;
    }
    const ::MSG system = Recall(taken_, *message);
    return ::TranslateMessage(&system) != FALSE;
}

platform::LRESULT Win32WindowSystem::DispatchMessageA(const platform::MSG* message) {
    if (message == nullptr) {
        return 0;
    }
    const ::MSG system = Recall(taken_, *message);
    return ::DispatchMessageA(&system);
}

// Nothing is waiting, so the loop is about to take its idle step (the
// flicker step). More than one per shown frame is work no one sees: sleep
// until the next frame is due, or until input arrives (true).
bool Win32WindowSystem::WaitForInputOrNextFrame() {
    using Clock = IdleSchedule::Clock;
    IdleSchedule& idle = Idle();
    Clock::time_point now = Clock::now();
    if (const auto left = idle.Until(now); left != Clock::duration::zero()) {
        const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left);
        if (::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<::DWORD>(milliseconds.count()),
                                          QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) {
            return true;
        }
        now = Clock::now();
    }
    // Woken early without input: look and wait again.
    return !idle.Take(now);
}

IdleSchedule& Win32WindowSystem::Idle() {
    if (idle_.Interval() == IdleSchedule::Clock::duration::zero()) {
        idle_.SetInterval(RefreshInterval());
    }
    return idle_;
}

bool Win32WindowSystem::WaitMessage() {
    return ::WaitMessage() != FALSE;
}

platform::LRESULT Win32WindowSystem::DefWindowProcA(platform::HWND window, platform::UINT message,
                                                    platform::WPARAM wParam,
                                                    platform::LPARAM lParam) {
    return ::DefWindowProcA(SystemHandle<::HWND>(window), message, wParam, lParam);
}

bool Win32WindowSystem::PostMessageA(platform::HWND window, platform::UINT message,
                                     platform::WPARAM wParam, platform::LPARAM lParam) {
    return ::PostMessageA(SystemHandle<::HWND>(window), message, wParam, lParam) != FALSE;
}

void Win32WindowSystem::PostQuitMessage(int exitCode) {
    ::PostQuitMessage(exitCode);
}

platform::SHORT Win32WindowSystem::GetKeyState(int virtualKey) {
    return ::GetKeyState(virtualKey);
}

void Win32WindowSystem::DragAcceptFiles(platform::HWND window, bool accept) {
    ::DragAcceptFiles(SystemHandle<::HWND>(window), accept ? TRUE : FALSE);
}

platform::UINT Win32WindowSystem::DragQueryFileA(platform::HDROP drop, platform::UINT index,
                                                 char* file, platform::UINT size) {
    return ::DragQueryFileA(SystemHandle<::HDROP>(drop), index, file, size);
}

void Win32WindowSystem::DragFinish(platform::HDROP drop) {
    ::DragFinish(SystemHandle<::HDROP>(drop));
}

platform::HCURSOR Win32WindowSystem::SetCursor(platform::HCURSOR cursor) {
    return HandleValue(::SetCursor(SystemHandle<::HCURSOR>(cursor)));
}

int Win32WindowSystem::MessageBoxA(platform::HWND owner, const char* text, const char* caption,
                                   platform::UINT type) {
    if (beforeMessageBox_) {
        beforeMessageBox_();
    }
    std::string shown = text != nullptr ? text : "";
    if (!boxAddition_.first.empty() && shown == boxAddition_.first) {
        shown += "\n\n" + boxAddition_.second;
    }
    return ::MessageBoxA(SystemHandle<::HWND>(owner), shown.c_str(), caption, type);
}

std::uint32_t Win32WindowSystem::CalendarSeconds() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

std::string Win32WindowSystem::TimeStamp() {
    return LocalTimeStamp(std::time(nullptr));
}

std::int32_t Win32WindowSystem::MillisecondClock() {
    return MillisecondsBetween(kProcessStart, ReadCalendar());
}

platform::LRESULT Win32WindowSystem::CallClassProcedure(platform::HWND window,
                                                        platform::UINT message,
                                                        platform::WPARAM wParam,
                                                        platform::LPARAM lParam) {
    std::shared_ptr<const platform::WNDPROC> procedure;
    if (const auto known = windows_.find(window); known != windows_.end()) {
        procedure = known->second;
    } else {
        char name[256] = {};
        if (::GetClassNameA(SystemHandle<::HWND>(window), name, sizeof(name)) > 0) {
            if (const auto found = classes_.find(ClassKey(name)); found != classes_.end()) {
                procedure = found->second;
                windows_.emplace(window, procedure);
            }
        }
    }
    platform::LRESULT result = 0;
    if (!Intercept(window, message, wParam, lParam, result)) {
        result = procedure != nullptr && *procedure
                     ? (*procedure)(window, message, wParam, lParam)
                     : ::DefWindowProcA(SystemHandle<::HWND>(window), message, wParam, lParam);
    }
    if (message == WM_PAINT && afterPaint_) {
        afterPaint_();
    }
    if (message == WM_NCDESTROY) {
        windows_.erase(window);
    }
    if (message == WM_DISPLAYCHANGE) {
        idle_.SetInterval({});  // read the new mode's rate at the next idle pass
    }
    return result;
}

}  // namespace velmora::platform::win32
