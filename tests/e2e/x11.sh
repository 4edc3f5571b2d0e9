# shellcheck shell=bash
# The parts of the end-to-end tests that do not depend on the program's
# platform, sourced by them: a virtual X server on a display number it picks
# itself, real input through xdotool, screenshots through ImageMagick's
# import, judged by screen_check, and waiting with time limits.
#   e2e_begin LABEL CHECK WIDTHxHEIGHT   sets up; then the caller's trap
#   e2e_end                              stops the X server, keeps or drops
#                                        the screenshots
# Screenshots go to $work, a temporary folder that is kept, and named, on
# failure (or always when E2E_KEEP is set). The caller sets $step, the name
# of what it is doing, for the messages, and may set $program_pid.

e2e_begin() {
    label=$1 check=$2
    width=${3%x*} height=${3#*x}
    timeout_s=${E2E_TIMEOUT:-20}
    xvfb_pid='' program_pid='' passed=0 step=start n=0
    local tool
    for tool in Xvfb xdotool import xwininfo; do
        command -v "$tool" >/dev/null || {
            echo "e2e: $tool is missing (bash scripts/deps.sh e2e installs it)" >&2
            exit 1
        }
    done
    work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-e2e-$label.XXXXXX")
}

e2e_end() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [ "$passed" = 1 ] && [ -z "${E2E_KEEP:-}" ]; then
        rm -rf "$work"
    else
        echo "e2e: screenshots and logs kept in $work" >&2
    fi
}

fail() {
    echo "e2e $label: FAILED at '$step': $*" >&2
    [ -s "$work/velmora.err" ] && sed 's/^/  velmora: /' "$work/velmora.err" >&2
    exit 1
}

start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp -noreset \
        3>"$work/display" >"$work/xvfb.log" 2>&1 </dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
        grep -q '^[0-9]' "$work/display" 2>/dev/null && break
        kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
        sleep 0.1
    done
    grep -q '^[0-9]' "$work/display" || fail "Xvfb gave no display number"
    export DISPLAY=":$(head -n1 "$work/display")"
}

# Picture pixel -> screen position, through the scale and the bars.
at() { "$check" map "$width" "$height" "$1" "$2"; }
move() {
    local p
    p=$(at "$1" "$2")
    xdotool mousemove ${p% *} ${p#* }
}

# Drag with a button from (x0, y) to (x1, y) in 10-pixel steps, PAUSE
# seconds apart when given.
drag() {
    local button=$1 x0=$2 x1=$3 y=$4 pause=${5:-} args=() p x
    p=$(at "$x0" "$y")
    args+=(mousemove ${p% *} ${p#* } mousedown "$button")
    for ((x = x0 + 10; x <= x1; x += 10)); do
        p=$(at "$x" "$y")
        args+=(${pause:+sleep $pause} mousemove ${p% *} ${p#* })
    done
    args+=(mouseup "$button")
    xdotool "${args[@]}"
}

shoot() {
    n=$((n + 1))
    shot="$work/$(printf '%02d' "$n")-$step.ppm"
    import -window root -depth 8 "ppm:$shot" 2>>"$work/import.log" || fail "import failed"
}

# Screenshots until the check passes (its last argument position takes the
# screenshot as "@"), or fails when the first argument is "!", or the time
# runs out.
poll() {
    local deadline=$((SECONDS + timeout_s)) want=0 status args
    [ "$1" != '!' ] || { want=1; shift; }
    while true; do
        shoot
        args=("${@//@/$shot}")
        status=0
        "$check" "${args[@]}" 2>"$work/check.err" || status=$?
        [ "$status" -ne "$want" ] || return 0
        [ "$SECONDS" -lt "$deadline" ] ||
            fail "$(if [ "$want" = 0 ]; then cat "$work/check.err"; else echo "still $*"; fi)"
        sleep 0.1
    done
}

top_windows() {
    xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/ {print $1}' | sort
}

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# Sets $new to a top-level window that is viewable and not among KNOWN (the
# output of top_windows from before).
wait_new_window() {
    local known=$1 deadline=$((SECONDS + timeout_s)) w
    new=''
    while [ -z "$new" ]; do
        for w in $(comm -13 <(echo "$known") <(top_windows)); do
            viewable "$w" && new=$w
        done
        [ -n "$new" ] || { [ "$SECONDS" -lt "$deadline" ] || fail "no box appeared"; sleep 0.1; }
    done
}

wait_closed() {
    local deadline=$((SECONDS + timeout_s))
    while viewable "$1"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "the box did not close"
        sleep 0.1
    done
}

# Waits for $program_pid to end and checks its exit status.
wait_exit() {
    local want=$1 deadline=$((SECONDS + timeout_s)) status=0
    while kill -0 "$program_pid" 2>/dev/null; do
        [ "$SECONDS" -lt "$deadline" ] || fail "still running"
        # Reap it as soon as it is a zombie.
        [ "$(ps -o stat= -p "$program_pid" 2>/dev/null | cut -c1)" = Z ] && break
        sleep 0.1
    done
    wait "$program_pid" || status=$?
    program_pid=''
    [ "$status" -eq "$want" ] || fail "exit status $status"
}
