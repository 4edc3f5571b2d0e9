#!/usr/bin/env bash
# Installs the Debian packages that the given group needs, when missing.
#   deps.sh build   - compiler, CMake, GoogleTest, Google Benchmark, SDL2, libpng,
#                     Python (the icons are drawn at build time)
#   deps.sh e2e     - the X server and tools the end-to-end test drives
#   deps.sh fuzz    - clang and its libFuzzer runtime
#   deps.sh windows - the mingw-w64 cross compiler, its zlib, zip and curl, for velmora.exe
#   deps.sh wine    - Wine, to run velmora.exe and the Windows tests
#   deps.sh web     - Emscripten, to build the page and the player in WebAssembly
#   deps.sh browser - Chromium and npm, to test the page
#   deps.sh package - dpkg-shlibdeps, lintian and the desktop's validators, for the .deb
set -euo pipefail

build_pkgs=(cmake g++ ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
            libsdl2-dev libpng-dev locales python3 gzip)
fuzz_pkgs=(clang libclang-rt-14-dev)
e2e_pkgs=(xvfb xfonts-base xdotool imagemagick x11-utils procps)
windows_pkgs=(gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64 libz-mingw-w64-dev zip curl
              ca-certificates)
wine_pkgs=(wine wine64 fonts-wine)
web_pkgs=(emscripten zip curl ca-certificates bzip2 python3)
browser_pkgs=(chromium)
package_pkgs=(dpkg-dev file lintian desktop-file-utils appstream man-db groff-base xz-utils)

wanted=()
for group in "$@"; do
    case "$group" in
        build) wanted+=("${build_pkgs[@]}") ;;
        e2e) wanted+=("${e2e_pkgs[@]}") ;;
        fuzz) wanted+=("${fuzz_pkgs[@]}") ;;
        windows) wanted+=("${windows_pkgs[@]}") ;;
        wine) wanted+=("${wine_pkgs[@]}") ;;
        web) wanted+=("${web_pkgs[@]}") ;;
        browser) wanted+=("${browser_pkgs[@]}") ;;
        package) wanted+=("${package_pkgs[@]}") ;;
        *) echo "deps.sh: unknown group '$group'" >&2; exit 2 ;;
    esac
done

missing=()
for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
