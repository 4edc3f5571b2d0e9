#!/usr/bin/env bash
# Runs one Windows test program under Wine in a private prefix, from the
# program's own folder; CTest's runner for the Windows build.
#   run.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
source "$(dirname "$0")/prefix.sh"
build=$(cd "$(dirname "$1")" && pwd)
unset DISPLAY # as in CI: no X server, whatever the caller's session has
trap wine_stop EXIT
wine_template "$build"
wine_private "$build/wine-template" "$(mktemp -d "${TMPDIR:-/tmp}/velmora-wine.XXXXXX")"
cd "$build"
wine "$@" </dev/null
