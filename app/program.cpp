#include "app/program.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/work.h"

namespace velmora::app {

using namespace platform;

namespace {

constexpr WPARAM kKeyB = 0x42;
constexpr WPARAM kKeyD = 0x44;
constexpr WPARAM kKeyF = 0x46;
constexpr WPARAM kKeyS = 0x53;
constexpr WPARAM kKeyY = 0x59;
constexpr WPARAM kKeyZ = 0x5A;
constexpr std::int32_t kMaxDepth = 30;
constexpr std::int32_t kMinDepth = -3;
constexpr std::size_t kStatisticsBuffer = 100;

// One decimal, rounded as printf's "%.1f" does, with a point whatever the
// locale puts between the digits.
void AppendFixed(std::string& out, double value) {
    std::array<char, 64> buffer{};
    const int written = std::snprintf(buffer.data(), buffer.size(), "%.1f", value);
    const std::string_view text(
        buffer.data(), written < 0 ? 0 : std::min<std::size_t>(written, buffer.size() - 1));
    std::size_t whole = text.empty() || text[0] != '-' ? 0 : 1;
    while (whole < text.size() && std::isdigit(static_cast<unsigned char>(text[whole])) != 0) {
        ++whole;
    }
    if (whole == text.size()) {
        out += text;  // no decimals: not a finite number
        return;
    }
    out += text.substr(0, whole);
    out += '.';
    out += text.back();
}

void ShowStatistics(Program& program, HWND window) {
    WindowSystem& windows = program.platform.windows;
    const std::int32_t elapsed =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(windows.MillisecondClock()) -
                                  static_cast<std::uint32_t>(program.settings.statsStartTime));
    const std::string text = StatisticsText(elapsed, program.settings.frameCount);
    windows.MessageBoxA(window, text.c_str(), kCaption, MB_OK);
    // The next report covers the time from here, without the box's.
    program.settings.statsStartTime = windows.MillisecondClock();
    program.settings.frameCount = 0;
}

}  // namespace

std::string StatisticsText(std::int32_t elapsedMilliseconds, std::uint32_t frameCount) {
    const double seconds = elapsedMilliseconds * 0.001;
    std::string text = "Time: ";
    AppendFixed(text, seconds);
    text += "s\nFrames: ";
    text += std::to_string(static_cast<std::int32_t>(frameCount));
    text += "\nAverage FPS: ";
    AppendFixed(text, static_cast<double>(frameCount) / (0.0001 + seconds));
    if (text.size() > kStatisticsBuffer - 1) {
        text.resize(kStatisticsBuffer - 1);
    }
    return text;
}

void HandleKey(Program& program, HWND window, WPARAM virtualKey) {
    Settings& s = program.settings;
    WindowSystem& windows = program.platform.windows;
    // Ctrl+Z takes the last step back; Ctrl+Y and Ctrl+Shift+Z put it again.
    if ((virtualKey == kKeyZ || virtualKey == kKeyY) && windows.GetKeyState(VK_CONTROL) < 0) {
        StepHistory(program, virtualKey == kKeyY || windows.GetKeyState(VK_SHIFT) < 0);
        return;
    }
    switch (virtualKey) {
        case VK_ESCAPE:
        case VK_F12:
            program.platform.windows.PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        case VK_SPACE:
        case kKeyS:
            ShowStatistics(program, window);
            break;
        case VK_UP:
            s.drawingDepth = s.drawingDepth + 1 >= kMaxDepth ? kMaxDepth : s.drawingDepth + 1;
            break;
        case VK_DOWN:
            s.drawingDepth = s.drawingDepth - 1 <= kMinDepth ? kMinDepth : s.drawingDepth - 1;
            break;
        case kKeyB:
            s.bidirectionalMode = s.bidirectionalMode == 0 ? 1 : 0;
            break;
        case kKeyF:
            s.flickerMode = s.flickerMode == 0 ? 1 : 0;
            break;
        case VK_F1:
            program.platform.windows.MessageBoxA(window, kCommandListText, kCaption, MB_OK);
            break;
        case VK_F2:
            SaveScreen(program, window);
            break;
        case kKeyD:
            ToggleDepthView(program);
            break;
        default:
            break;
    }
}

void StrokeUpdate(Program& program, WPARAM keyState, LPARAM position) {
    display::DisplayContext& d = program.display;
    Workbench& work = program.work;
    const bool held = (keyState & (MK_LBUTTON | MK_RBUTTON)) != 0;
    if (held && !work.strokeHeld) {
        BeginStep(program);
    }
    CatchUpPicture(program);
    stereo::MoveBrushCursor(program.scene.cursor, static_cast<std::uint32_t>(position));
    HRESULT locked = display::LockBackBuffer(d);
    if (locked == DDERR_SURFACELOST && display::RecoverLostSurfaces(d)) {
        locked = display::LockBackBuffer(d);
    }
    if (locked == DD_OK) {
        const stereo::Picture picture{static_cast<std::uint8_t*>(d.surfaceDescription.lpSurface),
                                      d.surfaceDescription.lPitch};
        const stereo::BrushStamp erased = program.scene.stamp;
        stereo::EraseBrush(program.scene, picture);
        stereo::ApplyBrush(program.scene, picture, static_cast<std::uint32_t>(keyState),
                           {program.settings.drawingDepth, program.settings.bidirectionalMode});
        // Only the rows under the old and the new stamp changed; when the
        // two overlap, as they do while the mouse moves, save them once.
        const int applied = program.scene.stamp.y;
        if (erased.made && std::abs(erased.y - applied) < stereo::kBrushHeight) {
            const int first = std::min(erased.y, applied);
            display::SavePictureRows(d, first,
                                     std::max(erased.y, applied) + stereo::kBrushHeight - first);
        } else {
            if (erased.made) {
                display::SavePictureRows(d, erased.y, stereo::kBrushHeight);
            }
            display::SavePictureRows(d, applied, stereo::kBrushHeight);
        }
        display::UnlockBackBuffer(d);
        if (erased.made) {
            RefreshDepthView(program, erased.y, stereo::kBrushHeight);
        }
        RefreshDepthView(program, applied, stereo::kBrushHeight);
    }
    display::PresentFrame(d, program.settings.flickerMode, program.settings.frameCount);
    if (!held && work.strokeHeld) {
        EndStep(program);
    }
    work.strokeHeld = held;
}

LRESULT WindowProc(Program& program, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowSystem& windows = program.platform.windows;
    switch (message) {
        case WM_DESTROY:
            display::ReleaseDisplayObjects(program.display);
            windows.PostQuitMessage(0);
            break;
        case WM_ACTIVATEAPP:
            program.settings.appActive = static_cast<std::int32_t>(wParam);
            // Back in the foreground: surfaces lost meanwhile are restored now
            // rather than at the next stroke.
            if (wParam != 0) {
                display::RecoverLostSurfaces(program.display);
            }
            break;
        case WM_SETCURSOR:
            windows.SetCursor(0);
            return 1;
        case WM_KEYDOWN:
            HandleKey(program, window, wParam);
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
            StrokeUpdate(program, wParam, lParam);
            break;
        case WM_DROPFILES:
            OpenDroppedFile(program, window, wParam);
            break;
        default:
            break;
    }
    return windows.DefWindowProcA(window, message, wParam, lParam);
}

int FailInitialisation(Program& program, HWND window) {
    display::ReleaseDisplayObjects(program.display);
    program.platform.windows.MessageBoxA(window, kInitFailedText, kCaption, MB_OK);
    program.platform.windows.DestroyWindow(window);
    return 0;
}

bool InitApplication(Program& program, int showCode, HWND& window) {
    WindowSystem& windows = program.platform.windows;
    Kernel& kernel = program.platform.kernel;
    const HMODULE instance = kernel.GetModuleHandleA(nullptr);

    WNDCLASSA windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = [&program](HWND w, UINT m, WPARAM wp, LPARAM lp) {
        return WindowProc(program, w, m, wp, lp);
    };
    windowClass.hInstance = instance;
    windowClass.hIcon = windows.LoadIconA(instance, IDI_APPLICATION);
    windowClass.hCursor = windows.LoadCursorA(0, IDC_ARROW);
    windowClass.hbrBackground = windows.GetStockObject(BLACK_BRUSH);
    windowClass.lpszMenuName = kCaption;
    windowClass.lpszClassName = kCaption;
    windows.RegisterClassA(windowClass);

    window = windows.CreateWindowExA(
        0, kCaption, kCaption, WS_POPUP, 0, 0, windows.GetSystemMetrics(SM_CXSCREEN),
        windows.GetSystemMetrics(SM_CYSCREEN), 0, 0, instance, nullptr);
    if (window == 0) {
        return false;
    }
    windows.ShowWindow(window, showCode);
    windows.UpdateWindow(window);
    windows.DragAcceptFiles(window, true);

    const display::DisplaySetUp setUp{program.platform.device, kernel, window,
                                      windows.CalendarSeconds()};
    if (!display::SetUpDisplay(program.display, setUp, program.scene)) {
        return FailInitialisation(program, window) != 0;
    }
    return true;
}

int RunProgram(Program& program, int showCode) {
    WindowSystem& windows = program.platform.windows;
    HWND window = 0;
    if (!InitApplication(program, showCode, window)) {
        return 1;  // a failed start-up is a failure, whatever the loop would say
    }
    StartFromOpenedMap(program);
    program.settings.statsStartTime = windows.MillisecondClock();
    while (true) {
        MSG message;
        if (windows.PeekMessageA(&message, 0, 0, 0, PM_NOREMOVE)) {
            if (windows.GetMessageA(&message, 0, 0, 0) == 0) {
                return static_cast<int>(message.wParam);
            }
            windows.TranslateMessage(&message);
            windows.DispatchMessageA(&message);
        } else if (program.settings.appActive != 0) {
            display::AdvanceFlicker(program.display.flickerPalettes, program.display.primarySurface,
                                    program.settings.flickerMode);
        } else {
            windows.WaitMessage();
        }
    }
}

}  // namespace velmora::app
