# shellcheck shell=bash
# What the end-to-end tests share: a virtual X server, real input through
# xdotool, screenshots (import) judged by screen_check, waiting with time
# limits, and the steps both programs go through. Screenshots and logs go to
# $work, kept on failure (or always when E2E_KEEP is set); $step names them.

# e2e_begin LABEL SCREEN_CHECK PALETTE_BMP WIDTHxHEIGHT; a trap ends it all.
e2e_begin() {
    label=$1 check=$2 palette=$3 size=$4
    timeout_s=${E2E_TIMEOUT:-20} pace='' program_pid='' xvfb_pid='' passed=0 step=start n=0
    for tool in Xvfb xdotool import xwininfo; do
        command -v "$tool" >/dev/null || { echo "e2e: no $tool (scripts/deps.sh e2e)" >&2; exit 1; }
    done
    work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-e2e-$label.XXXXXX")
    trap e2e_end EXIT
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset \
        3>"$work/display" >"$work/xvfb.log" 2>&1 </dev/null &
    xvfb_pid=$!
    until_ok "Xvfb gave no display number" grep -q '^[0-9]' "$work/display"
    export DISPLAY=":$(head -n1 "$work/display")"
}

e2e_end() {
    set +e
    # The program, with a child that may show a box, then the X server.
    [ -z "$program_pid" ] || { pkill -9 -P "$program_pid"; kill -9 "$program_pid"; } 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    [ "$passed" = 1 ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$work" ||
        echo "e2e: screenshots and logs kept in $work" >&2
}

fail() {
    echo "e2e $label: FAILED at '$step': $*" >&2
    sed 's/^/  /' "$work/check.err" "$work/velmora.err" >&2 2>/dev/null || true
    exit 1
}

# until_ok WHAT COMMAND...: runs COMMAND until it succeeds, or fails with WHAT.
until_ok() {
    local what=$1 deadline=$((SECONDS + timeout_s))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$what"
        sleep 0.1
    done
}
not() { ! "$@"; }
running() { [[ $(ps -o stat= -p "$program_pid") == [^Z]* ]]; }

# The screen position of a picture pixel, through the scale and the bars.
at() { "$check" map "${size%x*}" "${size#*x}" "$1" "$2"; }
move() { xdotool mousemove $(at "$1" "$2"); }

# drag BUTTON X0 X1 Y: in 10-pixel steps, $pace seconds apart when set.
drag() {
    local args=(mousemove $(at "$2" "$4") mousedown "$1") x
    for ((x = $2 + 10; x <= $3; x += 10)); do
        args+=(${pace:+sleep $pace} mousemove $(at "$x" "$4"))
    done
    xdotool "${args[@]}" mouseup "$1"
}

shoot() {
    n=$((n + 1))
    shot=$work/$(printf %02d "$n")-$step.ppm
    import -window root -depth 8 "ppm:$shot" 2>>"$work/import.log" || fail "import failed"
}

# Screenshots until `screen_check ARGS` passes, "@" standing for the
# screenshot; or with "!" first, until it finds a difference.
poll() {
    local want=0
    [ "$1" != '!' ] || { want=1; shift; }
    until_ok "waited for 'screen_check $*' to exit $want" screen_is "$want" "$@"
}
screen_is() {
    local want=$1 status=0
    shift
    shoot
    "$check" "${@//@/$shot}" 2>"$work/check.err" || status=$?
    [ "$status" -eq "$want" ] && : >"$work/check.err"
}
holds() { "$check" "$@" 2>"$work/check.err" || fail "screen_check $*"; }

# Starts COMMAND with the pointer where the program puts its brush: the tiled
# pattern; then a left drag paints at the drawing depth (5), changing exactly
# the rows under the brush.
start_and_drag() {
    step=start
    move 374 240
    "$@" >"$work/velmora.out" 2>"$work/velmora.err" </dev/null &
    program_pid=$!
    poll tiled @ "$palette"
    step=left-drag
    move 200 300
    poll period @ 206 223 304 315 78
    local before=$shot
    drag 1 200 400 300
    poll period @ 240 395 305 314 75
    holds stroke "$before" "$shot" 200 300
    holds period "$shot" 406 423 304 315 73 # the resting brush, 2 above the plateau
}

top_windows() { xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}' | sort; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
# Sets $new to a viewable top-level window not among $known.
new_window() {
    for new in $(comm -13 <(echo "$known") <(top_windows)); do viewable "$new" && return; done
    return 1
}
while_boxed() { :; }

# box OPEN CLOSE BEFORE [X Y]: a key opens a box and another closes it; the
# program runs on and the picture comes back as BEFORE, but for the rows of a
# brush resting at (X, Y), which closing may stamp again.
box() {
    local known new
    step=box-$1-$2
    known=$(top_windows)
    xdotool key "$1"
    until_ok "no box appeared" new_window
    poll ! same "$3" @
    while_boxed
    # No window manager gives the box the focus.
    xdotool windowfocus --sync "$new" key "$2"
    until_ok "the box did not close" not viewable "$new"
    running || fail "the key that closed the box ended the program"
    poll same "$3" @ "${@:4}"
    sleep 0.3 # nor does anything come late
    timeout_s=0 poll same "$3" @ "${@:4}"
}

# Esc ends the program with status 0.
escape() {
    xdotool key Escape
    until_ok "still running" not running
    wait "$program_pid" || fail "exit status $?"
    program_pid=''
}
finish() {
    step=escape
    escape
    passed=1
    echo "e2e $label: passed ($SECONDS s)"
}
