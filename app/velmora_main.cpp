// velmora: the painter on the desktop. No arguments; the pattern bitmap is
// the embedded resource ALL.

#include <cstdio>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/ddraw/memory.h"
#include "platform/sdl/desktop.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"

int main() {
    using namespace velmora;
    platform::FaultInjector faults;
    std::vector<platform::Resource> resources;
    resources.push_back({"ALL", platform::RT_BITMAP, resources::AllBitmap()});
    platform::MemoryKernel kernel(faults, std::move(resources));
    platform::DisplayDevice device(faults);
    platform::SdlWindowSystem windows(faults, device);
    // Without a window there is no box to say so in either.
    if (const std::string failure = windows.Open(app::kCaption); !failure.empty()) {
        std::fprintf(stderr, "velmora: %s\n", failure.c_str());
        return 1;
    }
    app::Program program(app::Platform{windows, kernel, device});
    const int status = app::RunProgram(program, platform::SW_SHOWDEFAULT);
    if (status != 0 && !windows.BoxShown()) {
        std::fprintf(stderr, "velmora: start-up failed: the window could not be created\n");
    }
    return status;
}
