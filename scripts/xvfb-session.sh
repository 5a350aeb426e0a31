# Sourced by scripts that need a private X server (the end-to-end run, the screenshot).
# Starts Xvfb on a free display, exports DISPLAY, and registers the cleanup before the
# server starts, so that no exit path leaves a server or a runtime folder behind.
#   start_private_x WIDTHxHEIGHT     kill_on_exit PID     (add a process to stop at exit)
_xvfb_pid=
_x_extra_pids=()
_x_cleanup() {
  local pid
  for pid in "${_x_extra_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -n "$_xvfb_pid" ] && kill "$_xvfb_pid" 2>/dev/null || true
  [ -n "${_x_runtime:-}" ] && rm -rf "$_x_runtime"
  return 0
}
kill_on_exit() { _x_extra_pids+=("$1"); }

start_private_x() {
  local screen=${1:-1280x800} display
  trap _x_cleanup EXIT
  _x_runtime=$(mktemp -d)
  export XDG_RUNTIME_DIR=$_x_runtime
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM
  exec {_x_fd}< <(Xvfb -displayfd 4 -screen 0 "${screen}x24" -nolisten tcp 4>&1 2>/dev/null & echo "pid $!")
  read -r _ _xvfb_pid <&"$_x_fd"
  read -r display <&"$_x_fd" || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$display
}
