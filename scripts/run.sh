#!/usr/bin/env bash
# Builds the painter in Release and starts it on the desktop; any arguments
# go to the painter (bash scripts/run.sh --window).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh build

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
      -DVELMORA_BENCHMARKS=OFF
cmake --build "$build" --target velmora -j "$(nproc)"
exec "$build/velmora" "$@"
