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

# libpng, cross-built once from Debian's source tarball into $build/libpng
# (static, over the mingw zlib) and kept while that folder lives. The
# tarball is looked for in $VELMORA_DOWNLOADS (default $build/downloads) and
# fetched into it from the machine's Debian mirror when missing.
source scripts/fetch-source.sh
if [ ! -f "$build/libpng/include/png.h" ]; then
    tarball=$(fetch_debian_source "$libpng_pool" "$libpng_tarball" "$libpng_sha256" \
              "$build/downloads") || { echo "build-windows.sh: no libpng source" >&2; exit 1; }
    work=$build/libpng-work
    rm -rf "$work" "$build/libpng"
    mkdir -p "$work/src"
    tar -xzf "$tarball" -C "$work/src" --strip-components=1
    cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
          -DCMAKE_INSTALL_PREFIX="$PWD/$work/prefix" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
          -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF </dev/null >/dev/null
    cmake --build "$work/build" -j "$(nproc)" </dev/null >/dev/null
    cmake --install "$work/build" </dev/null >/dev/null
    # Moved into place whole, so an interrupted build is begun again.
    mv "$work/prefix" "$build/libpng"
    rm -rf "$work"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DVELMORA_TESTS="$tests" -DVELMORA_BENCHMARKS=OFF </dev/null
cmake --build "$build" -j "$(nproc)" </dev/null

package="$build/velmora-windows.zip"
staging="$build/package"
rm -rf "$staging" "$package"
mkdir -p "$staging"
cp "$build/velmora.exe" "$staging/velmora.exe"
# Windows readers expect CR LF line ends; the title names the version.
awk -v version="$(bash scripts/version.sh)" '
    NR == 1 { sub(/^Velmora /, "Velmora " version " ") }
    NR == 2 && /^=+$/ { $0 = title; gsub(/./, "=") }
    { title = $0; printf "%s\r\n", $0 }' platform/win32/README-windows.txt >"$staging/README.txt"
(cd "$staging" && zip -q -X "../velmora-windows.zip" velmora.exe README.txt)
rm -rf "$staging"
echo "Built $build/velmora.exe and $package"
