// velmora: the painter on the desktop. The pattern bitmap is the embedded
// resource ALL; the options say what to start from, where to save and how
// to show.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"
#include "platform/ddraw/memory.h"
#include "platform/files.h"
#include "platform/sdl/desktop.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"

int main(int argc, char** argv) {
    using namespace velmora;
    const app::Options options =
        app::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), true);
    files::DecodedDepth opened;
    if (const auto status = app::PrepareRun(options, true, opened, std::cout, std::cerr)) {
        return *status;
    }

    platform::FaultInjector faults;
    std::vector<platform::Resource> resources;
    resources.push_back({"ALL", platform::RT_BITMAP, resources::AllBitmap()});
    platform::MemoryKernel kernel(faults, std::move(resources));
    platform::DisplayDevice device(faults);
    platform::SdlWindowSystem windows(faults, device);
    // Without a window there is no box to say so in either.
    if (const std::string failure = windows.Open(app::kCaption, options.windowed);
        !failure.empty()) {
        std::fprintf(stderr, "velmora: %s\n", failure.c_str());
        return 1;
    }
    app::Program program(app::Platform{windows, kernel, device});
    app::TakeOptions(program, options, platform::DefaultSaveFolder(), std::move(opened));
    const int status = app::RunProgram(program, platform::SW_SHOWDEFAULT);
    if (status != 0 && !windows.BoxShown()) {
        std::fprintf(stderr, "velmora: start-up failed: the window could not be created\n");
    }
    return status;
}
