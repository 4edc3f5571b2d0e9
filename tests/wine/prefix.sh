# shellcheck shell=bash
# Wine prefixes for the Windows test programs, sourced by the scripts that
# run them. A template prefix is made once per build directory (about 15 s
# and 700 MB); each run gets a private copy of hard links, made at once, so
# that runs neither wait for a fresh prefix nor share a wineserver.
#   wine_template BUILD_DIR      the template, made when missing or stale
#   wine_private TEMPLATE DIR    exports WINEPREFIX and TMPDIR inside DIR
#   wine_stop                    ends the private prefix's processes, if any

# Quiet Wine; no installers for .NET or the HTML engine.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

wine_template() {
    local template=$1/wine-template version lock
    version=$(wine --version)
    exec {lock}>"$1/wine-template.lock"
    flock "$lock"
    # A newer Wine would update the prefix in place, through the hard links.
    if [ "$(cat "$template/velmora-wine-version" 2>/dev/null)" != "$version" ]; then
        echo "wine: making the template prefix $template" >&2
        rm -rf "$template" "$template.new"
        mkdir -p "$template.new/tmp"
        (
            export WINEPREFIX=$template.new/prefix TMPDIR=$template.new/tmp
            wine wineboot -i >/dev/null 2>&1
            # Exact 8-bit pictures without any GL driver; closing a window
            # promptly with no window manager; a crash ends the process
            # instead of waiting on a dialog.
            wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
            wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
            wineserver -w
        ) </dev/null >/dev/null
        grep -q '"renderer"="gdi"' "$template.new/prefix/user.reg" ||
            { echo "wine: could not make a prefix" >&2; return 1; }
        # Names the template's own server folder, which a copy must not share.
        rm -f "$template.new/prefix/wineserver"
        mv "$template.new/prefix" "$template"
        rm -rf "$template.new"
        echo "$version" >"$template/velmora-wine-version"
    fi
    exec {lock}>&-
}

wine_private() {
    local reg
    cp -al "$1" "$2/prefix"
    # Wine rewrites the registry files, which the template must keep.
    for reg in "$2"/prefix/*.reg; do
        rm "$reg"
        cp "$1/${reg##*/}" "$reg"
    done
    mkdir "$2/tmp"
    export WINEPREFIX=$2/prefix TMPDIR=$2/tmp
    wine_private_prefix=$WINEPREFIX
}

wine_stop() {
    # Never the caller's own prefix.
    [ -n "${wine_private_prefix:-}" ] || return 0
    WINEPREFIX=$wine_private_prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$wine_private_prefix wineserver -w 2>/dev/null || true
}
