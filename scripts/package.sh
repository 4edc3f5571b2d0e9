#!/usr/bin/env bash
# Builds the Debian package build-package/velmora_VERSION_amd64.deb: a
# Release build without sanitizers, with Debian's hardening flags, packed by
# CPack from the project's install rules.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh build package

build="build-package"
# Debian's own compiler and linker flags (hardening included); CMake reads
# no CPPFLAGS, so they go with the compiler's.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
      -DVELMORA_BENCHMARKS=OFF -DVELMORA_SANITIZE=OFF \
      -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" </dev/null >/dev/null
cmake --build "$build" -j "$(nproc)" </dev/null
rm -f "$build"/velmora_*.deb
(cd "$build" && cpack -G DEB </dev/null >cpack.log) ||
    { cat "$build/cpack.log" >&2; echo "package.sh: cpack failed" >&2; exit 1; }
echo "Built $(ls "$build"/velmora_*.deb)"
