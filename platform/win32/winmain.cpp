// velmora.exe: the painter on the real DirectDraw and window manager. The
// pattern bitmap is the executable's bitmap resource ALL; the options say
// what to start from and where to save.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"
#include "platform/files.h"
#include "platform/win32/win32_ddraw.h"
#include "platform/win32/win32_gdi.h"
#include "platform/win32/win32_kernel.h"
#include "platform/win32/win32_window_system.h"
// Last: it defines many of the names above as macros.
#include "platform/win32/system_headers.h"

namespace {

// A windowed program starts without a console: when started from one, its
// usage, version and errors go there, unless they already go somewhere (a
// file, a pipe).
void WriteToParentConsole() {
    const bool outElsewhere = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_UNKNOWN;
    const bool errElsewhere = GetFileType(GetStdHandle(STD_ERROR_HANDLE)) != FILE_TYPE_UNKNOWN;
    if ((outElsewhere && errElsewhere) || AttachConsole(ATTACH_PARENT_PROCESS) == 0) {
        return;
    }
    if (!outElsewhere) {
        std::freopen("CONOUT$", "w", stdout);
    }
    if (!errElsewhere) {
        std::freopen("CONOUT$", "w", stderr);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCode) {
    using namespace velmora;
    // The C run-time has already split the command line as a console
    // program's would be.
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) {
        arguments.emplace_back(__argv[i]);
    }
    if (!arguments.empty()) {
        WriteToParentConsole();
    }
    // A window of its own and the depth view need the desktop's own
    // presentation, which the exclusive DirectDraw screen does not have.
    const app::Options options = app::ParseOptions(arguments, false);
    files::DecodedDepth opened;
    if (const auto status = app::PrepareRun(options, false, opened, std::cout, std::cerr)) {
        return *status;
    }

    platform::win32::Win32Gdi gdi;
    platform::win32::Win32Kernel kernel;
    platform::win32::Win32WindowSystem windows;
    platform::win32::Win32DisplayDriver device(gdi);
    windows.SetBeforeMessageBox([&device] { device.ShowGdiSurface(); });
    app::Program program(app::Platform{windows, kernel, device});
    app::TakeOptions(program, options, platform::DefaultSaveFolder(), std::move(opened));
    return app::RunProgram(program, showCode);
}
