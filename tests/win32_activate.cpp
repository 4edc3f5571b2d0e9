// velmora_activate.exe ORDER: takes the foreground from the painter with a
// window of its own, as another program would, minimising the painter, then
// gives the painter back: "restore-first" the way Alt+Tab does (restore,
// then activate), "activate-first" the other way round (activated while
// still minimised, restored only afterwards). For the end-to-end test.

#include <windows.h>

#include <cstring>

namespace {

void PumpFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const bool activateFirst = std::strstr(commandLine, "activate-first") != nullptr;
    const HWND painter = FindWindowA("Velmora", nullptr);
    if (painter == nullptr) {
        return 2;
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "VelmoraOther";
    RegisterClassA(&windowClass);
    const HWND other = CreateWindowExA(0, "VelmoraOther", "other", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                       480, nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(other);
    PumpFor(1500);
    if (IsIconic(painter) == FALSE) {
        ShowWindow(painter, SW_MINIMIZE);
        PumpFor(500);
    }
    DestroyWindow(other);
    if (activateFirst) {
        SetForegroundWindow(painter);
        PumpFor(1000);
        ShowWindow(painter, SW_RESTORE);
    } else {
        ShowWindow(painter, SW_RESTORE);
        SetForegroundWindow(painter);
    }
    PumpFor(200);
    return IsIconic(painter) != FALSE ? 1 : 0;
}
