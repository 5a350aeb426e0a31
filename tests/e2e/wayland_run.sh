#!/usr/bin/env bash
# Drives the built velmora binary as a Wayland client of weston, nested in a private Xvfb
# server: the window draws its own title strip, computes, answers a cross-selection, and
# survives a click where Qt's maximise button used to sit and a resize from the
# compositor. Usage: wayland_run.sh VELMORA PIXEL_PROBE SHOTS_DIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/xvfb-session.sh"
source "$(dirname "$0")/checks.sh"
begin_run "$@"

xdotool mousemove 1200 760
weston --backend=x11-backend.so --use-pixman --width=1100 --height=700 --socket=velmora-wayland --idle-time=0 \
  >"$shots/weston.txt" 2>&1 &
kill_on_exit $!
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/velmora-wayland" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/velmora-wayland" ] || fail "weston did not start"

WAYLAND_DISPLAY=velmora-wayland QT_QPA_PLATFORM=wayland "$velmora" 2>"$shots/stderr.txt" &
app=$!
kill_on_exit "$app"

# weston's output is an X window at the root's origin, so root and compositor coordinates
# agree. The window is found by the grey line under its title strip, as wide as the window.
strip=26
# weston follows the pointer by its motion events: each move settles before a press.
point() { xdotool mousemove "$1" "$2"; sleep 0.2; }
locate() {
  local found
  for _ in $(seq 100); do
    import -window root "$shots/desktop.png"
    found=$("$probe" "$shots/desktop.png" --find-line 160 160 160 700) || { sleep 0.1; continue; }
    X=$(field x <<<"$found"); Y=$(( $(field y <<<"$found") - strip + 1 )); WIDTH=$(field length <<<"$found")
    return 0
  done
  fail "no velmora window on weston"
}
locate
[ "$WIDTH" = 755 ] || fail "window on weston is $WIDTH wide, not 755"
# weston sees the pointer from the moment it enters its output: it comes in from outside,
# or the first press lands where weston last saw it.
point 1200 760; point 1000 650; point 1010 660
shot() { sleep 0.4; import -window root -crop "755x$(( 317 + strip ))+$X+$Y" +repage "$shots/$1.png"; }
at() { echo $(( X + $1 )) $(( Y + strip + $2 )); }  # a point of the client area
click() { point $(at "$1" "$2"); xdotool click 1; sleep 0.3; }
# Client-area rectangles, one title strip lower on the shot.
RT1="5 $(( strip + 7 )) 739 71"; RT2="5 $(( strip + 94 )) 739 71"; RT3="5 $(( strip + 178 )) 739 46"

# 1. Type, Enter, type, Enter, Enter computes, as on X11.
click 300 40
xdotool type --delay 30 "ABCBDAB"; xdotool key Return
xdotool type --delay 30 "BDCABA"; xdotool key Return; sleep 0.2; xdotool key Return
shot computed
expect computed "$RT1" pattern GKGK "upper box after 计算1 on weston"
expect computed "$RT2" pattern KGKG "lower box after 计算1 on weston"

# 2. A drag over D, the fifth character of the upper box, selects its partner and its place.
point $(at 73 24); xdotool mousedown 1; point $(at 86 24); xdotool mouseup 1
shot selected
expect_some selected "$RT2" selection "partner in the lower box on weston"
expect_some selected "$RT3" selection "place in the result box on weston"

# 3. Clicks and a double click where Qt's maximise button sat, 718 pixels right of the
#    window's left edge on its title bar; then weston's own requests, a resize (Super,
#    Shift and a drag), a maximise (Super+Shift+M) and full screen (Super+Shift+F), which
#    it makes of a window of fixed size too. Nothing is fatal, and the window is back at
#    its own size with its texts after each.
point $((X + 718)) $((Y + 13)); xdotool click 1; sleep 0.3
xdotool click --repeat 2 --delay 80 1; sleep 0.5
kill -0 "$app" 2>/dev/null || fail "velmora ended after a click where the maximise button sat"
point $(at 400 150); xdotool keydown super keydown shift mousedown 1; point $(at 520 240)
xdotool mouseup 1 keyup shift keyup super
for request in resize super+shift+m super+shift+f; do
  [ "$request" = resize ] || xdotool key "$request"
  sleep 1
  kill -0 "$app" 2>/dev/null || fail "velmora ended after weston's $request: $(cat "$shots/stderr.txt")"
  locate
  [ "$WIDTH" = 755 ] || fail "window on weston is $WIDTH wide after weston's $request"
done
shot kept
expect_some kept "$RT1" ink "upper text kept on weston"
expect_some kept "$RT2" ink "lower text kept on weston"
! grep -q "fatal" "$shots/stderr.txt" || fail "Qt reported: $(grep fatal "$shots/stderr.txt")"

# 4. F2 opens 调用树 as a window of its own, with Qt's frame; Escape closes it, and the
#    main window is still there at its size.
click 300 250; xdotool key F2; sleep 1.5
import -window root "$shots/call-tree.png"
kill -0 "$app" 2>/dev/null || fail "velmora ended after F2 on weston: $(cat "$shots/stderr.txt")"
xdotool key Escape; sleep 0.8
kill -0 "$app" 2>/dev/null || fail "velmora ended after closing 调用树 on weston"
locate
[ "$WIDTH" = 755 ] || fail "window on weston is $WIDTH wide after 调用树 closed"

# 5. The title strip's close box ends the program with status 0.
point $((X + 755 - 16)) $((Y + 13)); xdotool click 1
expect_exit "on weston, closed by its title strip"
echo "end-to-end on weston: found the window by its title strip, computed, selected across boxes, clicked where maximise sat, survived weston's resize, maximise and full screen, opened and closed 调用树, and closed"
