#!/usr/bin/env bash
# Builds the headless player and renders every script in demo/ to
# out/demo/NAME/final.png (plus the raw state files).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh build

build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
cmake --build "$build" --target velmora-replay -j "$(nproc)"
for script in demo/*.velmora; do
    name=$(basename "$script" .velmora)
    "$build/velmora-replay" --out "out/demo/$name" "$script"
    echo "rendered out/demo/$name/final.png"
done
