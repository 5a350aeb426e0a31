#!/usr/bin/env bash
# Drives the built velmora binary on its own Xvfb server, as a person would: keyboard,
# mouse, screenshots read back pixel by pixel. Usage: desktop_run.sh VELMORA PIXEL_PROBE SHOTS_DIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/xvfb-session.sh"
source "$(dirname "$0")/checks.sh"
begin_run "$@"

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
paste_into() {  # paste_into X Y FILE
  xclip -quiet -selection clipboard -i "$3" >/dev/null 2>&1 & local clip=$!
  kill_on_exit "$clip"; sleep 0.3
  click "$1" "$2"; xdotool key ctrl+v; sleep 0.5
  kill "$clip" 2>/dev/null || true
}
# The keyboard alone: type, Enter, type, Enter, Enter. Enter walks RT1 -> RT2 -> 计算1
# and then presses it. With no window manager the keys go to the window under the pointer,
# which rests at X Y (below the boxes).
compute_with_keys() {
  xdotool mousemove --window "$wid" "$1" "$2"
  xdotool type --delay 30 "ABCBDAB"; xdotool key Return
  xdotool type --delay 30 "BDCABA"; xdotool key Return; sleep 0.2; xdotool key Return
}
# 1. Type, Enter, type, Enter, Enter computes.
compute_with_keys 300 250
shot computed
expect computed "$RT1" pattern GKGK "upper box after 计算1 (A, CB unmatched)"
expect computed "$RT2" pattern KGKG "lower box after 计算1 (C, A unmatched)"
expect_some computed "$RT3" ink "result box"
# Two more Enters: the focus went to 编辑文本, never to 退出, so they edit and type a line
# break, and the window stays open with both texts.
xdotool key Return; sleep 0.2; xdotool key Return; sleep 0.3
kill -0 "$app" 2>/dev/null || fail "Enter after the computation ended the program"
shot entered
expect_some entered "$RT1" ink "upper text kept after two more Enters"
expect_some entered "$RT2" ink "lower text kept after two more Enters"

# 2. 编辑文本 with the mouse: everything black again.
click 432 284
shot edited
expect edited "$RT1" gap 0 "upper box after 编辑文本"
expect edited "$RT2" gap 0 "lower box after 编辑文本"

# 3. 清除, Chinese texts pasted into each box, 计算2 with the mouse. (XTest types a
# character outside the keymap by remapping a key for it, and a loaded machine can deliver
# the key before the new mapping: the character is then lost. People type these with an
# input method, and paste them.)
click 505 284
printf '程序设计' >"$shots/chinese-upper.txt"; printf '设计程序' >"$shots/chinese-lower.txt"
paste_into 300 40 "$shots/chinese-upper.txt"
paste_into 300 120 "$shots/chinese-lower.txt"
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

# 5. A drag that starts on a highlighted character makes a new selection: from the
#    selected partner 程 in the lower box left onto 计, whose gap 设计 is then selected.
xdotool mousemove --window "$wid" 55 111 mousedown 1 mousemove --window "$wid" 35 111 mouseup 1
shot redragged
expect_some redragged "5 94 45 71" selection "gap 设计 in the lower box after a drag from the highlight"
expect redragged "54 94 18 71" selection 0 "old highlight on 程 in the lower box"

# 6. While editing, a right-click in a box opens Qt's menu in Chinese (kept as a screenshot).
click 432 284
xdotool mousemove --window "$wid" 300 40 click 3; sleep 0.5
import -window root "$shots/context-menu.png"
menu=$(( X + 300 ))","$(( Y + 40 ))
"$probe" "$shots/context-menu.png" $(( X + 302 )) $(( Y + 42 )) 120 150 | field ink | { read -r ink; [ "${ink:-0}" -gt 50 ] ; } ||
  fail "no context menu at $menu"
xdotool key Escape; sleep 0.3

# 7. A result wider than the result box: its one line stays whole (no scroll bar covers
#    half of it), with the ink of capital letters at full height.
click 432 284; click 505 284
click 300 40; xdotool type --delay 10 "$(printf 'ABCDEFGHIJ%.0s' 1 2 3 4 5 6 7)"
click 300 120; xdotool type --delay 10 "$(printf 'ABCDEFGHIJ%.0s' 1 2 3 4 5 6 7)"
click 573 284
shot long-result
got=$(probe long-result "$RT3" | field inkheight)
[ "${got:-0}" -ge 13 ] || fail "the long result's line is cut: ink $got px high"

# 8. 调用树: after 计算1 on the 30 letters whose CommonLength makes 212,060,770 calls, F2
#    opens the tree window; with the keys alone the top level is put in order of count
#    (Alt+O, Down), the focus goes to the tree (Tab) and the largest node is expanded.
click 432 284; click 505 284
click 300 40; xdotool type --delay 10 "DBADDCDABBCACDCDACACACCCCBDDCD"
click 300 120; xdotool type --delay 10 "BBDDBBACADACBCDDDBDCDDDBCCDCDA"
click 573 284
xdotool mousemove --window "$wid" 300 250; xdotool key F2
tree=$(timeout 10 xdotool search --sync --onlyvisible --name '^调用树$' | head -1) || fail "F2 opened no window captioned 调用树"
sleep 0.5
xdotool mousemove --window "$tree" 600 400
xdotool key alt+o Down Tab Home Right; sleep 0.8
import -window "$tree" "$shots/call-tree.png"
expect_some call-tree "20 120 900 300" ink "rows of the tree"
kill -0 "$app" 2>/dev/null || fail "the tree window ended the program"
xdotool key Escape; sleep 0.3
xdotool search --onlyvisible --name '^调用树$' >/dev/null 2>&1 && fail "Escape left the tree window open"

# 9. 退出 ends the program with status 0.
click 715 282
expect_exit ""

# 10. A long computation: with VELMORA_ENGINE=literal the window runs the reference
#    engine, every invocation one by one, which on two pasted texts of 32,766 characters
#    (stretches of short repeated units, from a seeded generator) runs for hours: the
#    progress dialog comes up, Escape (取消) ends it, both texts are kept; computed again,
#    退出 while the dialog shows cancels and ends the program with status 0.
VELMORA_ENGINE=literal "$velmora" 2>>"$shots/stderr.txt" &
app=$!
kill_on_exit "$app"
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Velmora$' | head -1) || fail "no window with the literal engine"
sleep 0.5
python3 - "$shots/lower.txt" "$shots/upper.txt" <<'PY'
import random, sys
generator = random.Random(22)
def stretches():
    text, n = [], 0
    while n < 32766:
        unit = ''.join(chr(97 + generator.randrange(4)) for _ in range(2 + generator.randrange(3)))
        part = unit * (1 + generator.randrange(8000) // len(unit))
        text.append(part)
        n += len(part)
    return ''.join(text)[:32766]
for path in sys.argv[1:]:
    with open(path, 'w') as out:
        out.write(stretches())
PY
paste_into 300 40 "$shots/upper.txt"
paste_into 300 120 "$shots/lower.txt"
click 573 284
# The dialog comes up after half a second; it is taken as soon as it shows, so that the
# computation is still running when Escape reaches it.
wait_for_progress() {
  dialog=
  for _ in $(seq 30); do
    sleep 0.1
    dialog=$(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | grep -vx "$wid" | head -1) || true
    [ -z "$dialog" ] || break
  done
  [ -n "$dialog" ] || { shot no-progress; fail "no progress dialog within 3 s"; }
}
wait_for_progress
import -window "$dialog" "$shots/progress.png"
expect_some progress "0 0 400 200" ink "progress dialog"
xdotool windowfocus "$dialog"; xdotool key Escape
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | grep -qvx "$wid" || break; sleep 0.1; done
shot cancelled
expect cancelled "$RT1" gap 0 "upper box after 取消"
expect_some cancelled "$RT1" ink "upper text kept after 取消"
expect_some cancelled "$RT2" ink "lower text kept after 取消"
expect cancelled "$RT3" ink 0 "result box after 取消"

# 计算1 again, and while the progress dialog shows, 退出: the computation is cancelled and
# the program ends with status 0 within 2 s.
click 573 284
wait_for_progress
start=$(date +%s%N)
click 715 282
expect_exit "with the literal engine, closed during the progress dialog"
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$elapsed" -le 2300 ] || fail "closing during the progress dialog took $elapsed ms"

# 11. At a scale factor of 2 the window (1510 x 634) is wider than the 1280-pixel screen:
#    it opens with its top-left corner on the screen, and computes as at 1.
QT_SCALE_FACTOR=2 "$velmora" 2>>"$shots/stderr.txt" &
app=$!
kill_on_exit "$app"
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Velmora$' | head -1) || fail "no window at scale 2"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$X" -ge 0 ] && [ "$Y" -ge 0 ] || fail "window at scale 2 opens at $X,$Y, off the screen"
compute_with_keys 600 500
shot scaled
expect scaled "10 14 1478 142" pattern GKGK "upper box at scale 2"
expect scaled "10 188 1478 142" pattern KGKG "lower box at scale 2"
# 退出 lies past the screen's right edge here. The computation left the focus on 编辑文本;
# Shift+Tab moves it deliberately to 退出, the one before it in the tab order, and Space
# presses it.
xdotool key shift+Tab space
expect_exit "at scale 2"
echo "end-to-end: typed, computed both ways, pressed Enter after a result, edited, cleared, selected, dragged from a highlight, opened the menu, kept a long result whole, opened the invocation tree, cancelled a long computation, closed during one, ran at scale 2 and exited on a real X server"
