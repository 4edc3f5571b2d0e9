#!/usr/bin/env bash
# Runs under Wine, in a private prefix, every Windows unit test program that
# the Windows build lists in wine-unit-suites.txt.
#   unit.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source "$(dirname "$0")/prefix.sh"
[ -s "$build/wine-unit-suites.txt" ] ||
    { echo "wine: no unit tests in $build (scripts/build-windows.sh --tests)" >&2; exit 1; }

unset DISPLAY # as in CI: no X server, whatever the caller's session has
trap wine_stop EXIT
wine_template "$build"
wine_private "$build/wine-template" "$(mktemp -d "${TMPDIR:-/tmp}/velmora-wine-unit.XXXXXX")"
cd "$build"
failed=()
while read -r suite; do
    echo "wine: $suite.exe"
    wine "./$suite.exe" --gtest_brief=1 </dev/null || failed+=("$suite")
done <wine-unit-suites.txt
[ ${#failed[@]} -eq 0 ] || { echo "wine: FAILED: ${failed[*]}" >&2; exit 1; }
echo "wine: unit tests passed ($SECONDS s)"
