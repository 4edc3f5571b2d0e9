#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each, for
# SECONDS (default 60) or for COUNT inputs with --runs COUNT, seeded with the
# project's own bitmap, demo scripts and the small PNG files in
# fuzz/seeds/depth_png (every colour type and bit depth, interlacing, text,
# gamma and profile chunks, a palette with transparency, a depth map of ours).
# The readers of outside files run under the memory they promise: a
# malloc of more than 256 MB, or more than 512 MB resident, is a finding.
#   bash scripts/fuzz.sh [SECONDS | --runs COUNT] [bitmap|script|depth_png ...]
set -euo pipefail
cd "$(dirname "$0")/.."
budget=(-max_total_time=60)
if [ "${1:-}" = "--runs" ]; then
    budget=(-runs="$2")
    shift 2
elif [ -n "${1:-}" ] && [[ "$1" =~ ^[0-9]+$ ]]; then
    budget=(-max_total_time="$1")
    shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(bitmap script depth_png)

bash scripts/deps.sh build fuzz

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_SANITIZE=ON -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF >/dev/null
cmake --build "$build" --target velmora_bitmap_fuzz velmora_script_fuzz velmora_depth_png_fuzz \
    -j "$(nproc)"

mkdir -p "$build/corpus/bitmap" "$build/corpus/script" "$build/corpus/depth_png"
cp resources/ALL.bmp "$build/corpus/bitmap/"
cp demo/*.velmora "$build/corpus/script/"
cp fuzz/seeds/depth_png/*.png "$build/corpus/depth_png/"
# A small quarantine for freed memory: with ASan's default of 256 MB the
# resident size measures the sanitizer's holding pen more than the readers.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:quarantine_size_mb=32
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
limits=(-malloc_limit_mb=256 -rss_limit_mb=512)
for target in "${targets[@]}"; do
    case "$target" in
        bitmap) "$build/velmora_bitmap_fuzz" "${budget[@]}" -max_len=65536 "${limits[@]}" \
                    "$build/corpus/bitmap" ;;
        script) "$build/velmora_script_fuzz" "${budget[@]}" -max_len=4096 "${limits[@]}" \
                    "$build/corpus/script" ;;
        depth_png) "$build/velmora_depth_png_fuzz" "${budget[@]}" -max_len=65536 "${limits[@]}" \
                       "$build/corpus/depth_png" ;;
        *) echo "fuzz.sh: unknown target '$target'" >&2; exit 2 ;;
    esac
done
