#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for
# SECONDS (default 60), seeded with the project's own bitmap, demo scripts and
# a few small PNG files (fuzz/seeds/depth_png: a depth map of ours and
# pictures of several colour types, bit depths and interlacing).
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

bash scripts/deps.sh build fuzz

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DVELMORA_SANITIZE=ON -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF >/dev/null
cmake --build "$build" --target velmora_bitmap_fuzz velmora_script_fuzz velmora_depth_png_fuzz \
    -j "$(nproc)"

mkdir -p "$build/corpus/bitmap" "$build/corpus/script" "$build/corpus/depth_png"
cp resources/ALL.bmp "$build/corpus/bitmap/"
cp demo/*.velmora "$build/corpus/script/"
cp fuzz/seeds/depth_png/*.png "$build/corpus/depth_png/"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
"$build/velmora_bitmap_fuzz" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=4096 \
    "$build/corpus/bitmap"
"$build/velmora_script_fuzz" -max_total_time="$seconds" -max_len=4096 "$build/corpus/script"
"$build/velmora_depth_png_fuzz" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=4096 \
    "$build/corpus/depth_png"
