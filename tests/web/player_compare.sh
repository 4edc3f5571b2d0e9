#!/usr/bin/env bash
# The player in WebAssembly under Node against the native player: every
# demo and every script in tests/web/scripts (one also with --open) must give
# the same exit status, output and files, byte for byte.
#   player_compare.sh NATIVE_REPLAY WASM_REPLAY_JS
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
native=$(realpath "$1") wasm=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-player-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0
run_both() { # NAME ARGS...
    local name=$1
    shift
    local a=0 b=0
    mkdir -p "$work/native" "$work/wasm"
    # The same folder names on both sides: the boxes name the files saved.
    (cd "$work/native" && "$native" --out "$name" "$@" >"$name.out" 2>&1) || a=$?
    (cd "$work/wasm" && node "$wasm" --out "$name" "$@" >"$name.out" 2>&1) || b=$?
    if [ "$a" != "$b" ] || ! cmp -s "$work/native/$name.out" "$work/wasm/$name.out" ||
        ! diff -r "$work/native/$name" "$work/wasm/$name" >/dev/null; then
        echo "player compare: $name differs (status $a / $b)" >&2
        status=1
    fi
}
count=0
for script in "$here"/../../demo/*.velmora "$here"/scripts/*.velmora; do
    run_both "$(basename "$script" .velmora)" "$(realpath "$script")"
    count=$((count + 1))
done
# A depth map of the first run opened by the second.
map=$work/native/history/s3-depth.png
run_both opened --open "$map" "$(realpath "$here/scripts/history.velmora")"
[ "$status" = 0 ] && echo "player compare: $((count + 1)) runs, files byte-identical"
exit "$status"
