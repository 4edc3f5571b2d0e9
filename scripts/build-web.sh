#!/usr/bin/env bash
# Builds Velmora for the browser with Emscripten: build-web/site/ (the page,
# velmora.js, velmora.wasm and the icon; any static file server can serve
# it), build-web/velmora-web.zip, and the headless player for Node,
# build-web/velmora-replay.js with its .wasm.
#   build-web.sh           build
#   build-web.sh --serve   build, then serve the site on http://127.0.0.1:8000/
set -euo pipefail
cd "$(dirname "$0")/.."

serve=0
for arg in "$@"; do
    case "$arg" in
        --serve) serve=1 ;;
        *) echo "build-web.sh: unknown argument '$arg'" >&2; exit 2 ;;
    esac
done

bash scripts/deps.sh build web
# Debian's emcc runs its JavaScript tools with Debian's node modules.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

build=build-web
deps=$build/deps
source scripts/fetch-source.sh

# zlib, libpng and SDL2 (for its BMP reader, as on the desktop), compiled
# once with emcc from Debian's sources into $deps and kept while it lives:
# Emscripten's own ports would be downloaded from elsewhere at build time.
if [ ! -f "$deps/lib/libSDL2.a" ]; then
    work=$build/deps-work
    rm -rf "$work" "$deps"
    mkdir -p "$work/zlib" "$work/libpng" "$work/sdl2"
    prefix=$PWD/$work/prefix
    zlib=$(fetch_debian_source z/zlib zlib_1.2.13.dfsg.orig.tar.bz2 \
           71feb7947e3c00ef125f83b79a4e529bde31171e5babe48b391f06758d1ab0a1 "$build/downloads")
    libpng=$(fetch_debian_source "$libpng_pool" "$libpng_tarball" "$libpng_sha256" \
             "$build/downloads")
    sdl2=$(fetch_debian_source libs/libsdl2 libsdl2_2.26.5+dfsg.orig.tar.gz \
           b3f2c822151804125d08db94c65852f711c2e5df2145a59da120748dc32eb9c3 "$build/downloads")
    echo "Building zlib, libpng and SDL2 for WebAssembly (once)"
    tar -xjf "$zlib" -C "$work/zlib" --strip-components=1
    (cd "$work/zlib" && emconfigure ./configure --static --prefix="$prefix" &&
         emmake make -j "$(nproc)" libz.a && emmake make install) </dev/null >"$work/zlib.log" 2>&1 ||
        { echo "build-web.sh: zlib failed (see $work/zlib.log)" >&2; exit 1; }
    tar -xzf "$libpng" -C "$work/libpng" --strip-components=1
    emcmake cmake -S "$work/libpng" -B "$work/libpng-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
        -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
        -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
        </dev/null >"$work/libpng.log" 2>&1 &&
        cmake --build "$work/libpng-build" -j "$(nproc)" </dev/null >>"$work/libpng.log" 2>&1 &&
        cmake --install "$work/libpng-build" </dev/null >>"$work/libpng.log" 2>&1 ||
        { echo "build-web.sh: libpng failed (see $work/libpng.log)" >&2; exit 1; }
    tar -xzf "$sdl2" -C "$work/sdl2" --strip-components=1
    # Only what the BMP reader needs: surfaces, no devices.
    emcmake cmake -S "$work/sdl2" -B "$work/sdl2-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
        -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF \
        -DSDL_HIDAPI=OFF -DSDL_THREADS=OFF -DSDL_TIMERS=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF \
        -DSDL_FILESYSTEM=OFF -DSDL_RENDER=OFF </dev/null >"$work/sdl2.log" 2>&1 &&
        cmake --build "$work/sdl2-build" -j "$(nproc)" </dev/null >>"$work/sdl2.log" 2>&1 &&
        cmake --install "$work/sdl2-build" </dev/null >>"$work/sdl2.log" 2>&1 ||
        { echo "build-web.sh: SDL2 failed (see $work/sdl2.log)" >&2; exit 1; }
    # Moved into place whole, so an interrupted build is begun again.
    mv "$prefix" "$deps"
    rm -rf "$work"
fi

emcmake cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
    -DVELMORA_BENCHMARKS=OFF -DVELMORA_WEB_DEPS="$PWD/$deps" </dev/null >/dev/null
cmake --build "$build" -j "$(nproc)" </dev/null

site=$build/site
rm -rf "$site" "$build/velmora-web.zip"
mkdir -p "$site"
cp "$build/index.html" platform/web/velmora.css platform/web/page.js resources/velmora.ico \
   "$build/velmora.js" "$build/velmora.wasm" "$site/"
(cd "$site" && zip -q -X -r "../velmora-web.zip" .)
echo "Built $site and $build/velmora-web.zip; the player: $build/velmora-replay.js"

if [ "$serve" = 1 ]; then
    echo "Serving $site on http://127.0.0.1:8000/ (Ctrl+C ends)"
    cd "$site" && exec python3 -m http.server --bind 127.0.0.1 8000
fi
