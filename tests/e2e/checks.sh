# Sourced by the end-to-end runs: reading screenshots back and waiting for the program.
# The sourcing script sets velmora, probe, shots and app, and defines shot NAME.
fail() {
  import -window root "$shots/at-failure.png" 2>/dev/null || true
  echo "end-to-end: $*" >&2; echo "end-to-end: screenshots kept in $shots" >&2; exit 1; }
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

# Waits up to 5 s for velmora to end, and expects status 0.
expect_exit() {
  for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app" 2>/dev/null && { gdb -p "$app" -batch -ex "thread apply all bt" >"$shots/hang.txt" 2>&1; fail "velmora${1:+ $1} did not end within 5 s"; }
  status=0; wait "$app" || status=$?
  app=
  [ "$status" = 0 ] || fail "velmora${1:+ $1} exited with status $status"
}


# What every run starts with: its arguments, a fresh folder for its screenshots, and its
# own X server. Needs scripts/xvfb-session.sh.
begin_run() {  # begin_run VELMORA PIXEL_PROBE SHOTS_DIR
  velmora=$1 probe=$2 shots=$3
  rm -rf "$shots" && mkdir -p "$shots"
  start_private_x 1280x800 || fail "Xvfb did not start"
}
