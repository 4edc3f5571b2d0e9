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
#include "platform/ddraw/memory.h"
#include "platform/files.h"
#include "platform/win32/win32_ddraw.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_gdi.h"
#include "platform/win32/win32_kernel.h"
#include "platform/win32/win32_window_system.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"
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

// The exclusive screen is the picture: the depth view needs the desktop's
// presentation, which only a window of its own has.
std::string UsageText() {
    std::string text = velmora::app::UsageText(true);
    const std::string depthView = "  D               depth view on / off\n";
    if (const auto at = text.find(depthView); at != std::string::npos) {
        text.replace(at, depthView.size(),
                     "  D               depth view on / off (with --window; nothing on the\n"
                     "                  exclusive screen)\n");
    }
    return text;
}

// A window of its own: the in-memory DirectDraw layer holds the surfaces
// and GDI shows them; the bitmap ALL is the one compiled into the program.
int RunInWindow(const velmora::app::Options& options, velmora::files::DecodedDepth opened) {
    using namespace velmora;
    platform::FaultInjector faults;
    // Our RT_BITMAP, which the windows.h macro of that name hides here.
    constexpr std::uint32_t kBitmapType = 2;
    std::vector<platform::Resource> embedded;
    embedded.push_back({"ALL", kBitmapType, resources::AllBitmap()});
    platform::MemoryKernel kernel(faults, std::move(embedded));
    platform::DisplayDevice device(faults);
    platform::win32::Win32DesktopWindowSystem windows(device);
    app::Program program(app::Platform{windows, kernel, device});
    app::TakeOptions(program, options, platform::DefaultSaveFolder(), std::move(opened));
    return app::RunProgram(program, SW_SHOWDEFAULT);
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
    const app::Options options = app::ParseOptions(arguments, true);
    if (options.action == app::Options::Action::kHelp) {
        std::cout << UsageText();
        return 0;
    }
    if (options.action == app::Options::Action::kError) {
        std::cerr << "velmora: " << options.error << "\n" << UsageText();
        return 2;
    }
    files::DecodedDepth opened;
    if (const auto status = app::PrepareRun(options, true, opened, std::cout, std::cerr)) {
        return *status;
    }
    if (options.windowed) {
        return RunInWindow(options, std::move(opened));
    }

    platform::win32::Win32Gdi gdi;
    platform::win32::Win32Kernel kernel;
    platform::win32::Win32WindowSystem windows;
    platform::win32::Win32DisplayDriver device(gdi);
    windows.SetBeforeMessageBox([&device] { device.ShowGdiSurface(); });
    windows.SetAfterPaint([&device] { device.ShowKeptPicture(); });
    windows.AddToBox(app::kInitFailedText,
                     "The screen mode could not be set: velmora.exe --window runs in a window.");
    app::Program program(app::Platform{windows, kernel, device});
    app::TakeOptions(program, options, platform::DefaultSaveFolder(), std::move(opened));
    return app::RunProgram(program, showCode);
}
