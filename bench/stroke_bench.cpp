#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "app/program.h"
#include "bench/headless_program.h"
#include "platform/ddraw/memory.h"
#include "platform/headless/headless.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"
#include "stereo/stroke.h"

namespace {

using velmora::stereo::Picture;
using velmora::stereo::Scene;

struct BenchScene {
    Scene scene;
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(640 * 480);

    BenchScene() {
        scene.depth.Allocate();
        scene.random.Seed(1);
        std::vector<std::uint8_t> tile(80 * 120);
        velmora::stereo::FillPatternTile(scene.random, tile.data(), 80);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                pixels[static_cast<std::size_t>(y * 640 + x)] =
                    tile[static_cast<std::size_t>((y % 120) * 80 + x % 80)];
            }
        }
        velmora::stereo::DrawFirstPicture(scene, View());
    }
    Picture View() { return {pixels.data(), 640}; }

    // One stroke update between two positions (erase + apply), painting.
    void Stroke(int x, int y, const velmora::stereo::StrokeSettings& settings) {
        velmora::stereo::MoveBrushCursor(
            scene.cursor, (static_cast<std::uint32_t>(y) << 16) | static_cast<std::uint32_t>(x));
        velmora::stereo::EraseBrush(scene, View());
        velmora::stereo::ApplyBrush(scene, View(), 1, settings);
    }
};

// Mid-screen strokes, alternating between two nearby positions so the depth
// map keeps a painted plateau with steps in it.
void RunStrokes(benchmark::State& state, std::int32_t bidirectional) {
    BenchScene s;
    const velmora::stereo::StrokeSettings settings{8, bidirectional};
    int i = 0;
    for (auto _ : state) {
        s.Stroke(300 + (i & 1) * 3, 220 + (i & 1) * 2, settings);
        ++i;
        benchmark::ClobberMemory();
    }
}

void BM_StrokeForward(benchmark::State& state) {
    RunStrokes(state, 0);
}
BENCHMARK(BM_StrokeForward);

void BM_StrokeBackward(benchmark::State& state) {
    RunStrokes(state, 1);
}
BENCHMARK(BM_StrokeBackward);

// What a whole-image generator pays for every change: all 480 rows.
void BM_FullResynthesis(benchmark::State& state) {
    BenchScene s;
    s.Stroke(300, 220, {8, 0});
    for (auto _ : state) {
        velmora::stereo::ResynthesizeRows(s.scene, s.View(), 0, 480);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullResynthesis);

// The least any stroke frame can cost: 60 rows of 640 bytes written into the
// back buffer, then the whole back buffer copied onto the primary.
void BM_FrameFloor(benchmark::State& state) {
    constexpr std::size_t kRow = 640;
    std::vector<std::uint8_t> rows(60 * kRow, 3);
    std::vector<std::uint8_t> back(480 * kRow, 5);
    std::vector<std::uint8_t> primary(480 * kRow);
    for (auto _ : state) {
        for (std::size_t r = 0; r < 60; ++r) {
            std::memcpy(back.data() + (200 + r) * kRow, rows.data() + r * kRow, kRow);
        }
        std::memcpy(primary.data(), back.data(), back.size());
        benchmark::DoNotOptimize(primary.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameFloor);

// A whole stroke frame as the headless player runs it: the program's message
// loop on the in-memory platform takes one mouse move (left button held,
// drawing depth 8) per iteration; dispatch, lock, erase and apply passes,
// unlock, copy onto the primary, flip.
void RunFrames(benchmark::State& state, bool backward) {
    using velmora::platform::HeadlessWindowSystem;
    namespace platform = velmora::platform;
    velmora::bench::HeadlessProgram run;
    HeadlessWindowSystem& windows = run.windows;
    velmora::app::Program& program = run.program;
    std::vector<platform::WPARAM> setUpKeys{platform::VK_UP, platform::VK_UP, platform::VK_UP};
    if (backward) {
        setUpKeys.push_back(0x42);  // B: leftward scans left of the split column
    }
    std::size_t keys = 0;
    int i = 0;
    windows.SetDriver([&](HeadlessWindowSystem& w) {
        if (keys < setUpKeys.size()) {
            w.Post(platform::WM_KEYDOWN, setUpKeys[keys++], 0);
            return HeadlessWindowSystem::Feed::kQueued;
        }
        if (!state.KeepRunning()) {
            return HeadlessWindowSystem::Feed::kEnd;
        }
        const int x = 300 + (i & 1) * 3;
        const int y = 220 + (i & 1) * 2;
        ++i;
        w.Post(platform::WM_MOUSEMOVE, 1, static_cast<platform::LPARAM>(y) << 16 | x);
        return HeadlessWindowSystem::Feed::kQueued;
    });
    velmora::app::RunProgram(program, platform::SW_SHOWDEFAULT);
    if (program.settings.frameCount != static_cast<std::uint32_t>(i)) {
        state.SkipWithError("not every move made a frame");
    }
}

void BM_StrokeFrameForward(benchmark::State& state) {
    RunFrames(state, false);
}
BENCHMARK(BM_StrokeFrameForward);

void BM_StrokeFrameBackward(benchmark::State& state) {
    RunFrames(state, true);
}
BENCHMARK(BM_StrokeFrameBackward);

}  // namespace

BENCHMARK_MAIN();
