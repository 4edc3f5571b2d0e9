#!/usr/bin/env bash
# Cross-builds velmora.exe for 64-bit Windows with mingw-w64 and packs
# build-windows/velmora-windows.zip (the exe and a short how-to).
#   build-windows.sh          the program only
#   build-windows.sh --tests  also the Windows unit tests
set -euo pipefail
cd "$(dirname "$0")/.."

tests=OFF
for arg in "$@"; do
    case "$arg" in
        --tests) tests=ON ;;
        *) echo "build-windows.sh: unknown argument '$arg'" >&2; exit 2 ;;
    esac
done

bash scripts/deps.sh build windows

build=build-windows
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DVELMORA_TESTS="$tests" -DVELMORA_BENCHMARKS=OFF </dev/null
cmake --build "$build" -j "$(nproc)" </dev/null

package="$build/velmora-windows.zip"
staging="$build/package"
rm -rf "$staging" "$package"
mkdir -p "$staging"
cp "$build/velmora.exe" "$staging/velmora.exe"
# Windows readers expect CR LF line ends.
sed 's/$/\r/' platform/win32/README-windows.txt >"$staging/README.txt"
(cd "$staging" && zip -q -X "../velmora-windows.zip" velmora.exe README.txt)
rm -rf "$staging"
echo "Built $build/velmora.exe and $package"
