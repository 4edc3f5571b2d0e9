// What keeping and seeing the work costs: the depth view's redraw after a
// stroke and in full, and the encoding and decoding behind F2 and --open.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "files/depth_png.h"
#include "stereo/relief.h"

namespace {

using namespace velmora;

// A map with plateaus at many depths, the brush resting on one.
stereo::DepthMap Painted() {
    stereo::DepthMap depth;
    depth.Allocate();
    for (int y = 0; y < stereo::kScreenHeight; ++y) {
        for (int x = 0; x < stereo::kScreenWidth; ++x) {
            depth.Row(y)[x] = static_cast<std::int8_t>((x / 60 + y / 50) % 34 - 3);
        }
    }
    return depth;
}

// After a stroke: the old and the new brush rows, one more row each.
void BM_ReliefStroke(benchmark::State& state) {
    const stereo::DepthMap depth = Painted();
    const stereo::BrushStamp stamp{true, 300, 200, false};
    std::vector<std::uint32_t> view(stereo::DepthMap::kSize);
    for (auto _ : state) {
        stereo::RenderRelief(depth, stamp, view.data(), 190, stereo::kBrushHeight + 1);
        stereo::RenderRelief(depth, stamp, view.data(), 200, stereo::kBrushHeight + 1);
        benchmark::DoNotOptimize(view.data());
    }
}
BENCHMARK(BM_ReliefStroke);

void BM_ReliefWhole(benchmark::State& state) {
    const stereo::DepthMap depth = Painted();
    std::vector<std::uint32_t> view(stereo::DepthMap::kSize);
    for (auto _ : state) {
        stereo::RenderRelief(depth, {true, 300, 200, false}, view.data(), 0, stereo::kScreenHeight);
        benchmark::DoNotOptimize(view.data());
    }
}
BENCHMARK(BM_ReliefWhole);

// Both files of F2, as bytes.
void BM_SaveEncode(benchmark::State& state) {
    const stereo::DepthMap depth = Painted();
    std::vector<std::uint8_t> picture(stereo::DepthMap::kSize);
    std::array<files::Rgb, 256> palette{};
    for (std::size_t i = 0; i < picture.size(); ++i) {
        picture[i] = static_cast<std::uint8_t>(i * 2654435761U >> 24);
    }
    for (std::size_t i = 0; i < palette.size(); ++i) {
        palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                      static_cast<std::uint8_t>(i * 7)};
    }
    std::string error;
    for (auto _ : state) {
        benchmark::DoNotOptimize(files::EncodePicturePng(picture.data(), palette, error));
        benchmark::DoNotOptimize(
            files::EncodeDepthPng(depth.Data(), files::BrushSpot{300, 200}, error));
    }
}
BENCHMARK(BM_SaveEncode)->Unit(benchmark::kMillisecond);

void BM_OpenDecode(benchmark::State& state) {
    const stereo::DepthMap depth = Painted();
    std::string error;
    const std::vector<std::uint8_t> png =
        files::EncodeDepthPng(depth.Data(), files::BrushSpot{300, 200}, error);
    for (auto _ : state) {
        benchmark::DoNotOptimize(files::DecodeDepthPng(png.data(), png.size()));
    }
}
BENCHMARK(BM_OpenDecode)->Unit(benchmark::kMillisecond);

}  // namespace
