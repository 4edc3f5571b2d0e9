#!/usr/bin/env bash
# The Debian package as a user gets it: built by scripts/package.sh, clean
# for lintian and the desktop's validators, resolvable by apt, and, unpacked
# into a throwaway root, the same programs as the build tree BUILD (its
# velmora, velmora-replay and velmora_screen_check), started under Xvfb by
# the desktop entry's own command lines.
#   package_check.sh BUILD PALETTE_BMP
set -euo pipefail
build=$1 palette=$2
here=$(dirname "$0")
cd "$here/../.."
fail() { echo "package_check: FAILED: $*" >&2; exit 1; }

bash scripts/package.sh
version=$(bash scripts/version.sh)
deb=build-package/velmora_${version}_amd64.deb
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$deb is not version $version"
lintian --fail-on error "$deb" 2>/dev/null || fail "lintian reports errors"
apt-get install --simulate -qq "./$deb" >/dev/null || fail "apt cannot install $deb"
# Removing takes every file: nothing but files, no scripts or conffiles.
[ "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sort | xargs)" = "./control ./md5sums" ] ||
    fail "the package has maintainer scripts or conffiles"

root=$(mktemp -d "${TMPDIR:-/tmp}/velmora-package.XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
share=$root/usr/share
id=$(basename "$share"/applications/*.desktop .desktop)
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "AppStream metadata"
grep -qx "Icon=$id" "$share/applications/$id.desktop" || fail "the entry's icon is not $id"
for size in 16 32 48 64 128 256; do
    file "$share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
        fail "no $size-pixel icon"
done
python3 resources/make_icon.py "$root/drawn.ico"
cmp -s "$root/drawn.ico" resources/velmora.ico || fail "velmora.ico differs from its source"

export PATH=$root/usr/bin:$PATH
[ "$(velmora --version)" = "velmora $version" ] || fail "velmora --version"
[ "$(velmora-replay --version)" = "velmora-replay $version" ] || fail "velmora-replay --version"
[ "$(velmora --help)" = "$("$build/velmora" --help)" ] || fail "velmora --help"
demos=("$share"/doc/velmora/examples/*.velmora)
sources=(demo/*.velmora)
[ "${#demos[@]}" = "${#sources[@]}" ] || fail "not every demo is installed"
for script in "${demos[@]}"; do
    name=$(basename "$script" .velmora)
    velmora-replay --out "$root/out/$name" "$script" >"$root/$name.out"
    "$build/velmora-replay" --out "$root/built/$name" "demo/$name.velmora" >"$root/$name.built"
    { cmp -s "$root/$name.out" "$root/$name.built" && diff -r "$root/out/$name" "$root/built/$name"; } ||
        fail "the installed player's $name differs from the build tree's"
done

# The manual pages: no warnings at 80 columns, and every option of the
# painter and directive of the player in them.
page() { MANWIDTH=80 man --warnings -l "$share/man/man1/$1.1.gz" 2>"$root/man.err"; }
page velmora >"$root/velmora.txt" && page velmora-replay >"$root/velmora-replay.txt"
[ ! -s "$root/man.err" ] || fail "man warns: $(cat "$root/man.err")"
has() { grep -Eq -- "$2" "$root/$1.txt" || fail "$1(1) lacks '$2'"; }
for section in NAME SYNOPSIS OPTIONS FILES "EXIT STATUS" EXAMPLES; do
    has velmora "^$section" && has velmora-replay "^$section"
done
has velmora "^KEYS" && has velmora-replay "^SCRIPTS"
for option in $(velmora --help | grep -o -- '^  --[a-z-]*'); do has velmora "^       (-., )?$option"; done
while read -r directive; do
    has velmora-replay "^       $directive"
done < <(grep -o 'name == "[a-z]*"' tools/replay/script.cpp | cut -d'"' -f2)

# The menu entry's commands, and its "Paint in a window" action's.
entry() { sed -n "/^\[$1\]/,/^\[/s/^Exec=//p" "$share/applications/$id.desktop"; }
read -ra command <<<"$(entry 'Desktop Entry')"
bash "$here/desktop_e2e.sh" full "$build/velmora_screen_check" "$palette" "${command[@]}"
read -ra command <<<"$(entry 'Desktop Action window')"
[ "${command[*]}" = "velmora --window" ] || fail "the window action runs '${command[*]}'"
bash "$here/desktop_e2e.sh" window "$build/velmora_screen_check" "$palette" "${command[@]}"
echo "package_check: $deb passed ($SECONDS s)"
