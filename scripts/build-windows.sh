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
libpng_tarball=libpng1.6_1.6.39.orig.tar.gz
libpng_sha256=a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441
if [ ! -f "$build/libpng/include/png.h" ]; then
    downloads=${VELMORA_DOWNLOADS:-$build/downloads}
    tarball=$downloads/$libpng_tarball
    if [ ! -f "$tarball" ]; then
        mkdir -p "$downloads"
        # shellcheck disable=SC2016 # apt's own field name, not the shell's
        mapfile -t mirrors < <(apt-get indextargets --no-release-info --format '$(REPO_URI)' |
                               sort -u)
        for mirror in "${mirrors[@]}"; do
            curl -fsL -o "$tarball.part" "${mirror%/}/pool/main/libp/libpng1.6/$libpng_tarball" &&
                mv "$tarball.part" "$tarball" && break
        done
        rm -f "$tarball.part"
        [ -f "$tarball" ] || { echo "build-windows.sh: cannot fetch $libpng_tarball" >&2; exit 1; }
    fi
    echo "$libpng_sha256  $tarball" | sha256sum --check --quiet - ||
        { echo "build-windows.sh: $tarball is not the expected libpng source" >&2; exit 1; }
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
# Windows readers expect CR LF line ends.
sed 's/$/\r/' platform/win32/README-windows.txt >"$staging/README.txt"
(cd "$staging" && zip -q -X "../velmora-windows.zip" velmora.exe README.txt)
rm -rf "$staging"
echo "Built $build/velmora.exe and $package"
