#!/usr/bin/env bash
# Runs the built velmora binary on its own Xvfb server and its own session bus with the
# accessibility bus on, and lets screen_reader_walk.py read and drive it through AT-SPI.
# Usage: screen_reader_run.sh VELMORA SHOTS_DIR
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
velmora=$1 shots=$2
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ -z "${VELMORA_OWN_BUS:-}" ]; then
  # A private session bus, so that the accessibility bus and its registry are this run's.
  exec env VELMORA_OWN_BUS=1 dbus-run-session -- "$0" "$@"
fi
source "$here/../../scripts/xvfb-session.sh"
probe=/bin/false
source "$here/checks.sh"
rm -rf "$shots" && mkdir -p "$shots"
start_private_x 1280x800 || fail "Xvfb did not start"
shot() { import -window root "$shots/$1.png"; }

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$velmora" 2>"$shots/stderr.txt" &
app=$!
kill_on_exit "$app"
timeout 20 xdotool search --sync --onlyvisible --name '^Velmora$' >/dev/null || fail "no window captioned Velmora"
# Debian's own Python, which has pyatspi (a python3 earlier on PATH may not).
/usr/bin/python3 "$here/screen_reader_walk.py" || { shot walk-failed; fail "the screen reader's walk failed"; }
kill "$app"; wait "$app" 2>/dev/null || true
app=
