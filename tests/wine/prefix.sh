# shellcheck shell=bash
# Wine prefixes for the Windows test programs. A template is made once per
# build directory (about 15 s and 700 MB); each run gets a private copy of
# hard links, made at once, with its own wineserver.
#   wine_template BUILD_DIR    the template, made when missing or stale
#   wine_private TEMPLATE DIR  a copy in DIR; exports WINEPREFIX and TMPDIR there
#   wine_stop                  ends the copy's processes and removes it

# Quiet Wine; no installers for .NET or the HTML engine.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

wine_template() (
    template=$1/wine-template
    version=$(wine --version)
    exec 9>"$1/wine-template.lock"
    flock 9
    # A newer Wine would update the prefix in place, through the hard links.
    [ "$(cat "$template/velmora-wine-version" 2>/dev/null)" != "$version" ] || exit 0
    echo "wine: making the template prefix $template" >&2
    rm -rf "$template" "$template.new"
    export WINEPREFIX=$template.new
    # Exact 8-bit pictures without any GL driver; closing a window promptly
    # with no window manager; a crash ends the process instead of waiting on
    # a dialog.
    {
        wine wineboot -i
        wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
        wineserver -w
    } </dev/null >/dev/null 2>&1
    grep -q '"renderer"="gdi"' "$WINEPREFIX/user.reg" ||
        { echo "wine: could not make a prefix" >&2; exit 1; }
    # Names the template's own server folder, which a copy must not share.
    rm -f "$WINEPREFIX/wineserver"
    echo "$version" >"$WINEPREFIX/velmora-wine-version"
    mv "$WINEPREFIX" "$template"
)

wine_private() {
    wine_run=$2
    mkdir -p "$2/tmp"
    cp -al "$1" "$2/prefix"
    # Wine rewrites the registry files, which the template must keep.
    cp --remove-destination "$1"/*.reg "$2/prefix/"
    export WINEPREFIX=$2/prefix TMPDIR=$2/tmp
}

wine_stop() {
    [ -n "${wine_run:-}" ] || return 0
    { wineserver -k; wineserver -w; } 2>/dev/null || true
    rm -rf "$wine_run"
}
