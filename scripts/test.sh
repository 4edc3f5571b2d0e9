#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs the whole suite through CTest; then checks the Debian package and the
# source tarball; then builds the web version and tests
# it under Node and in headless Chromium; then cross-builds the Windows
# program and its unit tests and runs them under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh build e2e

build=build-test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON \
      -DVELMORA_TESTS=ON -DVELMORA_BENCHMARKS=OFF
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

# The Debian package, unpacked into a throwaway root, against this build;
# then the source tarball built and unit-tested outside the repository
# (without rebuilding the Windows and web release files).
bash tests/package/package_check.sh "$build" resources/ALL.bmp
bash tests/package/source_check.sh

# The web build: the player in WebAssembly under Node against the native
# one, then the page in headless Chromium, judged by the same screen check.
bash scripts/deps.sh browser
bash scripts/build-web.sh
bash tests/web/player_compare.sh "$build/velmora-replay" build-web/velmora-replay.js
bash tests/web/web_e2e.sh build-web "$build/velmora_screen_check" resources/ALL.bmp \
     "$build/velmora-replay"

# The Windows build, under Wine: the unit tests, then velmora.exe end to end,
# judged by the screen check built above.
bash scripts/deps.sh windows wine
bash scripts/build-windows.sh --tests
ctest --test-dir build-windows --output-on-failure
bash tests/e2e/wine_e2e.sh build-windows "$build/velmora_screen_check" resources/ALL.bmp \
     "$build/velmora-replay"
bash tests/e2e/wine_e2e.sh build-windows "$build/velmora_screen_check" resources/ALL.bmp \
     "$build/velmora-replay" window
