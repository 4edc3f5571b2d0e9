#!/usr/bin/env bash
# Runs the Windows unit test programs under Wine, in a private prefix: every
# suite that the Windows build lists in wine-unit-suites.txt.
#   unit.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
source "$(dirname "$0")/prefix.sh"
[ -s "$build/wine-unit-suites.txt" ] ||
    { echo "wine: no unit tests in $build (scripts/build-windows.sh --tests)" >&2; exit 1; }

# As in CI: no X server, whatever the caller's session has.
unset DISPLAY
run=$(mktemp -d "${TMPDIR:-/tmp}/velmora-wine-unit.XXXXXX")
trap 'wine_stop; rm -rf "$run"' EXIT
wine_template "$build"
wine_private "$build/wine-template" "$run"

cd "$build"
failed=()
while read -r suite; do
    echo "wine: $suite.exe"
    wine "./$suite.exe" --gtest_brief=1 </dev/null || failed+=("$suite")
done <wine-unit-suites.txt
[ ${#failed[@]} -eq 0 ] || { echo "wine: FAILED: ${failed[*]}" >&2; exit 1; }
echo "wine: unit tests passed ($SECONDS s)"
