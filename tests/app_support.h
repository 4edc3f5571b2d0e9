#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "app/program.h"
#include "platform/ddraw/memory.h"
#include "platform/headless/headless.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"

namespace velmora::test {

// One program on the headless platform, fed by a list of steps: each step
// runs when the program looks for input and finds none.
struct Rig {
    using Feed = platform::HeadlessWindowSystem::Feed;
    using Step = std::function<Feed(Rig&)>;

    platform::FaultInjector faults;
    platform::DisplayDevice device;
    platform::MemoryKernel kernel;
    platform::HeadlessWindowSystem windows;
    app::Program program;
    std::vector<Step> steps;
    std::size_t next = 0;

    explicit Rig(std::ptrdiff_t pitch = 640)
        : device(faults, pitch),
          kernel(faults, {{"ALL", platform::RT_BITMAP, resources::AllBitmap()}}),
          windows(faults),
          program(app::Platform{windows, kernel, device}) {
        windows.SetDriver([this](platform::HeadlessWindowSystem&) {
            while (next < steps.size()) {
                const Feed feed = steps[next++](*this);
                if (feed != Feed::kQueued || windows.QueuedMessages() != 0) {
                    return feed;
                }
            }
            return Feed::kEnd;
        });
    }

    Rig& Post(platform::UINT message, platform::WPARAM wParam = 0, platform::LPARAM lParam = 0) {
        steps.emplace_back([=](Rig& rig) {
            rig.windows.Post(message, wParam, lParam);
            return Feed::kQueued;
        });
        return *this;
    }
    Rig& Move(int x, int y, platform::WPARAM keys = 0) {
        return Post(platform::WM_MOUSEMOVE, keys, static_cast<platform::LPARAM>(y) << 16 | x);
    }
    Rig& Key(platform::WPARAM key) { return Post(platform::WM_KEYDOWN, key); }
    Rig& Idle(int passes = 1) {
        for (int i = 0; i < passes; ++i) {
            steps.emplace_back([](Rig&) { return Feed::kIdle; });
        }
        return *this;
    }
    // Runs arbitrary code between messages (checks, clock moves, faults).
    Rig& Then(std::function<void(Rig&)> action) {
        steps.emplace_back([action = std::move(action)](Rig& rig) {
            action(rig);
            return Feed::kQueued;
        });
        return *this;
    }
    int Run() { return app::RunProgram(program, platform::SW_SHOWDEFAULT); }

    const platform::IDirectDrawSurface* Front() const { return program.display.primarySurface; }
    const platform::IDirectDrawSurface* Back() const { return program.display.backBuffer; }
};

inline std::uint8_t PixelAt(const platform::IDirectDrawSurface* s, int x, int y) {
    return InMemory(s)->Pixels()[y * InMemory(s)->Pitch() + x];
}

}  // namespace velmora::test
