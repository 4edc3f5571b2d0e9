// velmora.exe: the painter on the real DirectDraw and window manager. No
// arguments; the pattern bitmap is the executable's bitmap resource ALL.

#include "app/program.h"
#include "platform/win32/win32_ddraw.h"
#include "platform/win32/win32_gdi.h"
#include "platform/win32/win32_kernel.h"
#include "platform/win32/win32_window_system.h"
// Last: it defines many of the names above as macros.
#include "platform/win32/system_headers.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCode) {
    using namespace velmora;
    platform::win32::Win32Gdi gdi;
    platform::win32::Win32Kernel kernel;
    platform::win32::Win32WindowSystem windows;
    platform::win32::Win32DisplayDriver device(gdi);
    windows.SetBeforeMessageBox([&device] { device.ShowGdiSurface(); });
    app::Program program(app::Platform{windows, kernel, device});
    return app::RunProgram(program, showCode);
}
