#pragma once

// The whole program on the in-memory platform with the scripted window
// system, for benchmarks that drive it message by message.

#include "app/program.h"
#include "platform/ddraw/memory.h"
#include "platform/headless/headless.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"

namespace velmora::bench {

struct HeadlessProgram {
    platform::FaultInjector faults;
    platform::DisplayDevice device{faults};
    platform::MemoryKernel kernel{faults, {{"ALL", platform::RT_BITMAP, resources::AllBitmap()}}};
    platform::HeadlessWindowSystem windows{faults};
    app::Program program{app::Platform{windows, kernel, device}};
};

}  // namespace velmora::bench
