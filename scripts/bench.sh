#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them: the engine's strokes, then
# the desktop presenter (on SDL's offscreen driver).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh build

build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
      -DVELMORA_BENCHMARKS=ON
cmake --build "$build" -j "$(nproc)"
"$build/velmora_bench" "$@"
"$build/velmora_presenter_bench" "$@"
