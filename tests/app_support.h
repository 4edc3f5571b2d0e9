#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/ddraw/memory.h"
#include "platform/headless/headless.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"
#include "tools/replay/runner.h"

namespace velmora::test {

// One program on the headless platform. When it finds no input, steps run
// until one has queued a message; after the last one the input ends.
struct Rig {
    platform::FaultInjector faults;
    platform::DisplayDevice device;
    platform::MemoryKernel kernel;
    platform::HeadlessWindowSystem windows;
    app::Program program;
    std::vector<std::function<void(Rig&)>> steps;
    std::size_t next = 0;

    explicit Rig(std::ptrdiff_t pitch = 640)
        : device(faults, pitch),
          kernel(faults, {{"ALL", platform::RT_BITMAP, resources::AllBitmap()}}),
          windows(faults),
          program(app::Platform{windows, kernel, device}) {
        windows.SetDriver([this](platform::HeadlessWindowSystem&) {
            while (next < steps.size() && windows.QueuedMessages() == 0) {
                steps[next++](*this);
            }
            return windows.QueuedMessages() != 0 ? platform::HeadlessWindowSystem::Feed::kQueued
                                                 : platform::HeadlessWindowSystem::Feed::kEnd;
        });
    }

    // Runs arbitrary code between messages (checks, faults, losses).
    Rig& Then(std::function<void(Rig&)> step) {
        steps.push_back(std::move(step));
        return *this;
    }
    Rig& Post(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam = 0) {
        return Then([=](Rig& rig) { rig.windows.Post(message, wParam, lParam); });
    }
    Rig& Move(int x, int y, platform::WPARAM keys = 0) {
        return Post(platform::WM_MOUSEMOVE, keys, static_cast<platform::LPARAM>(y) << 16 | x);
    }
    int Run() { return app::RunProgram(program, platform::SW_SHOWDEFAULT); }

    const platform::IDirectDrawSurface* Front() const { return program.display.primarySurface; }
    const platform::IDirectDrawSurface* Back() const { return program.display.backBuffer; }
};

// The 640x480 picture of a surface, without row padding.
inline std::vector<std::uint8_t> Picture(const platform::IDirectDrawSurface* surface) {
    const platform::MemorySurface* s = platform::InMemory(surface);
    std::vector<std::uint8_t> out;
    for (int y = 0; y < 480; ++y) {
        out.insert(out.end(), s->Pixels() + y * s->Pitch(), s->Pixels() + y * s->Pitch() + 640);
    }
    return out;
}

// A path of this process's own: test programs of several builds run at once.
inline std::filesystem::path OwnPath(const std::string& name) {
    return std::filesystem::path(::testing::TempDir()) /
           ("velmora-" + std::to_string(getpid()) + "-" + name);
}

struct Replay {
    std::filesystem::path dir;
    std::ostringstream out;
    std::ostringstream err;
    int status = -1;

    Replay(const std::string& name, const std::string& script, files::DecodedDepth opened = {})
        : dir(OwnPath(name)) {
        std::filesystem::remove_all(dir);
        status =
            replay::RunReplay(script, "test.velmora", dir.string(), out, err, std::move(opened));
    }
    ~Replay() { std::filesystem::remove_all(dir); }
    std::string Text(const std::string& name) const {
        EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
        std::ifstream in(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::vector<std::uint8_t> File(const std::string& name) const {
        const std::string text = Text(name);
        return {text.begin(), text.end()};
    }
};

// The pixels of a PNG as 8-bit RGB, or nothing when it does not decode.
inline std::vector<std::uint8_t> DecodeRgb(const std::vector<std::uint8_t>& png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, png.data(), png.size()) == 0) {
        return {};
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        return {};
    }
    return rgb;
}

}  // namespace velmora::test
