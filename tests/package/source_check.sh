#!/usr/bin/env bash
# The source tarball of scripts/release.sh, unpacked into a temporary folder
# outside the repository: it configures, builds and passes its unit tests
# (CTest without the end-to-end runs), and names the release's version.
set -euo pipefail
cd "$(dirname "$0")/../.."
fail() { echo "source_check: FAILED: $*" >&2; exit 1; }
version=$(bash scripts/version.sh)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/velmora-source.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

bash scripts/release.sh --source-only --dist "$tmp/dist"
(cd "$tmp/dist" && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS"
tar -xzf "$tmp/dist/velmora-$version.tar.gz" -C "$tmp"
source=$tmp/velmora-$version
[ -f "$source/CMakeLists.txt" ] || fail "no CMakeLists.txt in the tarball"
[ ! -e "$source/.git" ] || fail "the tarball holds .git"
cmake -S "$source" -B "$tmp/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=ON \
      -DVELMORA_BENCHMARKS=OFF </dev/null >/dev/null
cmake --build "$tmp/build" -j "$(nproc)" </dev/null >"$tmp/build.log" ||
    { tail -n 30 "$tmp/build.log" >&2; fail "the tarball does not build"; }
ctest --test-dir "$tmp/build" -E _e2e_ -j "$(nproc)" --output-on-failure </dev/null \
      >"$tmp/ctest.log" || { cat "$tmp/ctest.log" >&2; fail "the tarball's unit tests fail"; }
tail -n 3 "$tmp/ctest.log"
[ "$("$tmp/build/velmora" --version)" = "velmora $version" ] || fail "velmora --version"
echo "source_check: velmora-$version.tar.gz passed ($SECONDS s)"
