#!/usr/bin/env bash
# Drives the built velmora binary on its own Xvfb server, as a person would: keyboard,
# mouse, screenshots read back pixel by pixel. Usage: desktop_run.sh VELMORA PIXEL_PROBE SHOTS_DIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/xvfb-session.sh"
velmora=$1 probe=$2 shots=$3
rm -rf "$shots" && mkdir -p "$shots"
fail() { echo "end-to-end: $*" >&2; echo "end-to-end: screenshots kept in $shots" >&2; exit 1; }
start_private_x 1280x800 || fail "Xvfb did not start"

"$velmora" 2>"$shots/stderr.txt" &
app=$!
kill_on_exit "$app"
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Velmora$' | head -1) || fail "no window captioned Velmora"
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" = 755 ] && [ "$HEIGHT" = 317 ] || fail "window is ${WIDTH}x${HEIGHT}, not 755x317"
dx=$(( 2 * X + WIDTH - 1280 )); dy=$(( 2 * Y + HEIGHT - 800 ))
[ ${dx#-} -le 2 ] && [ ${dy#-} -le 2 ] || fail "window at $X,$Y is not centred"
sleep 0.5

# Client-area rectangles of the controls (x y w h).
RT1="5 7 739 71"; RT2="5 94 739 71"; RT3="5 178 739 46"
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.3; }
shot() { sleep 0.4; import -window "$wid" "$shots/$1.png"; }
probe() { "$probe" "$shots/$1.png" $2; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p"; }
# A slow machine may not have repainted yet: each check looks again, up to 5 s.
expect() {  # expect SHOT RECT KEY VALUE WHAT
  local got
  for _ in $(seq 12); do
    got=$(probe "$1" "$2" | field "$3")
    [ "$got" = "$4" ] && return 0
    shot "$1"
  done
  fail "$5: $3 is '$got', expected '$4'"
}
expect_some() {  # expect_some SHOT RECT KEY WHAT
  local got
  for _ in $(seq 12); do
    got=$(probe "$1" "$2" | field "$3")
    [ "${got:-0}" -gt 0 ] && return 0
    shot "$1"
  done
  fail "$4: no $3 pixels"
}

# 1. Type with the keyboard; Enter walks RT1 -> RT2 -> 计算1; space presses it. With no
#    window manager the keys go to the window under the pointer.
xdotool mousemove --window "$wid" 300 250
xdotool type --delay 30 "ABCBDAB"; xdotool key Return
xdotool type --delay 30 "BDCABA"; xdotool key Return; sleep 0.2; xdotool key space
shot computed
expect computed "$RT1" pattern GKGK "upper box after 计算1 (A, CB unmatched)"
expect computed "$RT2" pattern KGKG "lower box after 计算1 (C, A unmatched)"
expect_some computed "$RT3" ink "result box"

# 2. 编辑文本 with the mouse: everything black again.
click 432 284
shot edited
expect edited "$RT1" gap 0 "upper box after 编辑文本"
expect edited "$RT2" gap 0 "lower box after 编辑文本"

# 3. 清除, Chinese texts typed into each box, 计算2 with the mouse.
click 505 284
click 300 40; xdotool type --delay 60 "程序设计"
click 300 120; xdotool type --delay 60 "设计程序"
click 640 284
shot chinese
expect chinese "$RT1" pattern KG "upper box after 计算2 (设计 unmatched)"
expect chinese "$RT2" pattern GK "lower box after 计算2 (设计 unmatched)"

# 4. Drag over the first character of the upper box: its partner and its result place
#    are selected in the other two boxes.
xdotool mousemove --window "$wid" 12 24 mousedown 1 mousemove --window "$wid" 28 24 mouseup 1
shot selected
expect_some selected "$RT2" selection "partner in the lower box"
expect_some selected "$RT3" selection "place in the result box"

# 5. 退出 ends the program with status 0.
click 715 282
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
status=0; wait "$app" || status=$?
app=
[ "$status" = 0 ] || fail "velmora exited with status $status"
echo "end-to-end: typed, computed both ways, edited, cleared, selected and exited on a real X server"
