#!/usr/bin/env bash
# Checks formatting and runs clang-tidy over the project's sources: the
# Linux build's units against its compile database, and the Windows back
# end's against the cross build's (when build-windows exists).
#   lint.sh [LINUX_BUILD [WINDOWS_BUILD]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
windows=${2:-build-windows}
[ -f "$build/compile_commands.json" ] || { echo "lint.sh: configure $build first (scripts/test.sh)" >&2; exit 2; }
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run -Werror "${sources[@]}"

is_windows_unit() { [[ $1 == platform/win32/* || $1 == tests/win32_* ]]; }
# The browser back end's units that need Emscripten's headers.
is_web_unit() { [[ $1 == platform/web/browser.cpp || $1 == platform/web/web_main.cpp ]]; }
linux_units=() windows_units=() web_units=()
while read -r unit; do
    if is_windows_unit "$unit"; then windows_units+=("$unit")
    elif is_web_unit "$unit"; then web_units+=("$unit")
    else linux_units+=("$unit"); fi
done < <(git ls-files '*.cpp')
clang-tidy -p "$build" --quiet "${linux_units[@]}"

if [ -f "$windows/compile_commands.json" ]; then
    # clang reads the mingw compile commands as a Windows target; it needs
    # GCC's C++ headers named, as g++ finds them on its own.
    gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
    extra=(--extra-arg=--target=x86_64-w64-mingw32
           "--extra-arg=-isystem$gcc_dir/include/c++"
           "--extra-arg=-isystem$gcc_dir/include/c++/x86_64-w64-mingw32")
    clang-tidy -p "$windows" --quiet "${extra[@]}" "${windows_units[@]}"
else
    echo "lint.sh: $windows not configured (scripts/build-windows.sh); Windows units skipped" >&2
fi

web=build-web
if [ -f "$web/compile_commands.json" ]; then
    # clang reads em++'s compile commands as its own, given Emscripten's target
    # and system root as emcc passes them.
    sysroot=/usr/share/emscripten/cache/sysroot
    clang-tidy -p "$web" --quiet --extra-arg=--target=wasm32-unknown-emscripten \
        "--extra-arg=--sysroot=$sysroot" --extra-arg=-Xclang --extra-arg=-iwithsysroot/include/compat \
        --extra-arg=-D__EMSCRIPTEN__ --extra-arg=-DEMSCRIPTEN --extra-arg=-D_LIBCPP_ABI_VERSION=2 \
        "${web_units[@]}"
else
    echo "lint.sh: $web not configured (scripts/build-web.sh); browser units skipped" >&2
fi
