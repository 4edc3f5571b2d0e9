#!/usr/bin/env bash
# Checks formatting and runs clang-tidy over the project's sources.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
[ -f "$build/compile_commands.json" ] || { echo "lint.sh: configure $build first (scripts/test.sh)" >&2; exit 2; }
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run -Werror "${sources[@]}"
mapfile -t units < <(git ls-files '*.cpp')
clang-tidy -p "$build" --quiet "${units[@]}"
