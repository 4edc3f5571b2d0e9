#include <benchmark/benchmark.h>

#include <vector>

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

}  // namespace

BENCHMARK_MAIN();
