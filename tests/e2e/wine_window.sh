# shellcheck shell=bash
# velmora.exe --window under Wine on a 1400x1100 screen, no display mode
# change: a window whose client area is 1280x960 (scale 2), the picture in
# exact 2x2 blocks, painting, the depth view, a box, the pointer let go, and
# Alt+F4 ending the program with status 0. Sourced by wine_e2e.sh.
step=window
pace=0.02
xdotool mousemove 5 5 # outside the window: the brush stays where it starts
wine "$build/velmora.exe" --window >"$work/velmora.out" 2>"$work/velmora.err" </dev/null &
program_pid=$!
found() { window=$(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | head -n1) && [ -n "$window" ]; }
until_ok "no window appeared" found
geometry() { xwininfo -id "$window" | awk -v key="$1" -F: '$1 ~ key {gsub(/ /, "", $2); print $2}'; }
width=$(geometry Width) height=$(geometry Height)
# Unmanaged, Wine draws the frame and caption inside the X window: equal
# borders left, right and below, the caption above.
border=$(((width - 1280) / 2))
left=$(($(geometry 'Absolute upper-left X') + border))
top=$(($(geometry 'Absolute upper-left Y') + height - 960 - border))
[ $((width - 1280)) -ge 0 ] && [ $((height - 960 - 2 * border)) -gt 0 ] ||
    fail "a ${width}x${height} window cannot hold a 1280x960 picture and a caption"
# The client area alone; the pointer placed through the scale.
shoot() {
    shot=$work/$((n += 1))-$step.ppm
    import -window root -crop "1280x960+$left+$top" +repage -depth 8 "ppm:$shot" \
        2>>"$work/import.log" || fail "import failed"
}
at() { echo "$((left + 2 * $1 + 1)) $((top + 2 * $2 + 1))"; }
poll tiled @ "$palette"

step=left-drag
move 200 300
poll period @ 206 223 304 315 78
before=$shot
drag 1 200 400 300
poll period @ 240 395 305 314 75
holds stroke "$before" "$shot" 200 300

step=depth-view # the plateau at depth 5 grey 56 on the background's 21
xdotool key d
poll grey @ 240 395 305 314 56
holds grey "$shot" 100 500 100 250 21
step=stereogram-again
xdotool key d
poll period @ 240 395 305 314 75

step=rest
move 120 40
poll period @ 126 143 44 55 78
rest=$shot
box F1 Return "$rest" 120 40
box F1 Escape "$rest" 120 40

step=pointer-free # not held, and not hidden outside the picture
xdotool mousemove 5 5
sleep 0.2
[[ $(xdotool getmouselocation) == "x:5 y:5 "* ]] || fail "the pointer is held: $(xdotool getmouselocation)"

step=alt-f4 # the system menu's default handling closes the window
xdotool windowfocus --sync "$window" key alt+F4
until_ok "still running" not running
wait "$program_pid" || fail "exit status $?"
program_pid='' passed=1
echo "e2e $label: passed ($SECONDS s)"
