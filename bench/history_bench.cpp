// What the history costs: the memory of one step and the time of taking it
// back or putting it again (Ctrl+Z, Ctrl+Y), for a typical stroke and for a
// whole map opened by a drop, through the program on the in-memory platform
// (dispatch, the depth change under the stamp, the rows rebuilt and saved,
// the copy onto the primary).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program.h"
#include "bench/headless_program.h"
#include "files/depth_png.h"
#include "platform/ddraw/memory.h"
#include "platform/headless/headless.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"

namespace {

using velmora::platform::HeadlessWindowSystem;
namespace platform = velmora::platform;

// A foreign picture that changes every row of the map: a grey ramp.
std::string WholeMapFile() {
    std::vector<std::uint32_t> argb(velmora::files::kMapSize);
    for (std::size_t i = 0; i < argb.size(); ++i) {
        const auto grey = static_cast<std::uint32_t>((i % 640 + i / 640) % 256);
        argb[i] = grey * 0x010101U;
    }
    std::string error;
    const auto png = velmora::files::EncodeViewPng(argb.data(), error);
    std::string path =
        (std::filesystem::temp_directory_path() / "velmora-history-bench.png").string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
        std::fwrite(png.data(), 1, png.size(), file);
        std::fclose(file);
    }
    return path;
}

// Makes one step (a left drag of 20 moves across 200 columns, or a drop),
// then each iteration takes it back or puts it again.
void RunUndo(benchmark::State& state, bool wholeMap) {
    velmora::bench::HeadlessProgram run;
    HeadlessWindowSystem& windows = run.windows;
    velmora::app::Program& program = run.program;
    const std::string map = wholeMap ? WholeMapFile() : std::string();
    int setUp = 0;
    int i = 0;
    windows.SetDriver([&](HeadlessWindowSystem& w) {
        const auto at = [](int x, int y) { return static_cast<platform::LPARAM>(y) << 16 | x; };
        if (setUp <= 20) {
            if (wholeMap) {
                w.Drop(map);
                setUp = 21;
            } else {
                w.Post(platform::WM_MOUSEMOVE, setUp < 20 ? 1 : 0, at(200 + 10 * setUp, 240));
                ++setUp;
            }
            return HeadlessWindowSystem::Feed::kQueued;
        }
        if (!state.KeepRunning()) {
            return HeadlessWindowSystem::Feed::kEnd;
        }
        w.Post(platform::WM_KEYDOWN, (i++ & 1) == 0 ? 'Z' : 'Y', 0, w.kControlHeld);
        return HeadlessWindowSystem::Feed::kQueued;
    });
    velmora::app::RunProgram(program, platform::SW_SHOWDEFAULT);
    state.counters["step_bytes"] = static_cast<double>(program.work.history.Bytes());
    if (program.work.history.UndoSteps() + program.work.history.RedoSteps() != 1) {
        state.SkipWithError("no step was made");
    }
}

void BM_UndoStroke(benchmark::State& state) {
    RunUndo(state, false);
}
BENCHMARK(BM_UndoStroke);

void BM_UndoWholeMap(benchmark::State& state) {
    RunUndo(state, true);
}
BENCHMARK(BM_UndoWholeMap);

}  // namespace
