#!/usr/bin/env bash
# Makes every release file in dist/: the Debian package, the Windows zip,
# the web build's site as a zip, the source tarball of the last commit, and
# SHA256SUMS; each carries the version of CMakeLists.txt, which is checked.
#   release.sh                  everything
#   release.sh --source-only    the source tarball (and its SHA256SUMS) only
#   release.sh --dist DIR       into DIR instead of dist/
set -euo pipefail
cd "$(dirname "$0")/.."

source_only=0 dist=dist
while [ $# -gt 0 ]; do
    case "$1" in
        --source-only) source_only=1 ;;
        --dist) [ $# -ge 2 ] || { echo "release.sh: --dist needs a folder" >&2; exit 2; }
                dist=$2; shift ;;
        *) echo "release.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
    shift
done

version=$(bash scripts/version.sh)
fail() { echo "release.sh: $*" >&2; exit 1; }
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
    echo "release.sh: uncommitted changes are not in the source tarball" >&2

rm -rf "$dist"
mkdir -p "$dist"
# The tracked files of the last commit, under velmora-VERSION/.
git archive --format=tar.gz --prefix="velmora-$version/" -o "$dist/velmora-$version.tar.gz" HEAD

if [ "$source_only" = 0 ]; then
    bash scripts/package.sh
    deb=build-package/velmora_${version}_amd64.deb
    [ -f "$deb" ] || fail "no $deb"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$deb is not version $version"
    for program in velmora velmora-replay; do
        [ "$(build-package/$program --version)" = "$program $version" ] ||
            fail "$program --version is not $version"
    done
    cp "$deb" "$dist/"

    bash scripts/build-windows.sh
    unzip -p build-windows/velmora-windows.zip README.txt | grep -q "^Velmora $version for Windows" ||
        fail "the Windows zip's README.txt does not name version $version"
    cp build-windows/velmora-windows.zip "$dist/velmora-$version-windows-x64.zip"

    bash scripts/build-web.sh
    unzip -p build-web/velmora-web.zip index.html | grep -q "<title>Velmora $version " ||
        fail "the page does not name version $version"
    cp build-web/velmora-web.zip "$dist/velmora-$version-web.zip"
fi

(cd "$dist" && sha256sum -- velmora* >SHA256SUMS)
echo "Release files in $dist:"
(cd "$dist" && ls -l)
