#!/usr/bin/env bash
# The built velmora-cli as a script runs it: its output, and a write that fails however
# it fails (a full disk, a closed descriptor, a closed pipe with SIGPIPE ignored).
# Usage: smoke_test.sh VELMORA_CLI
set -uo pipefail
cli=$1
fail() { echo "cli smoke: $*" >&2; exit 1; }

got=$("$cli" length ABCBDAB BDCABA) || fail "length failed"
[ "$got" = '{"length":4,"calls":24}' ] || fail "length printed $got"

expect_write_failure() {
  local what=$1 status=$2 err=$3
  [ "$status" -eq 1 ] || fail "$what: exit status $status, not 1"
  [ "$(wc -l <"$err")" -eq 1 ] || fail "$what: expected one line on stderr, got: $(cat "$err")"
  grep -q "cannot write the output: $4" "$err" || fail "$what: stderr says $(cat "$err")"
}
err=$(mktemp); trap 'rm -f "$err"' EXIT
export ERR=$err

"$cli" length A B >/dev/full 2>"$err"; expect_write_failure "/dev/full" $? "$err" "No space left on device"
"$cli" length A B >&- 2>"$err"; expect_write_failure "closed stdout" $? "$err" "Bad file descriptor"
# The pipe's reading end is closed before the command starts, so its write always fails.
python3 -c '
import os, subprocess, sys
read, write = os.pipe()
os.close(read)  # Python ignores SIGPIPE, and the command keeps that
sys.exit(subprocess.call(sys.argv[1:], stdout=write, stderr=open(os.environ["ERR"], "w"), restore_signals=False))
' "$cli" length A B
expect_write_failure "closed pipe" $? "$err" "Broken pipe"

start=$(date +%s%N)
timeout 5 "$cli" length --files /dev/zero x 2>"$err"; status=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$status" -eq 3 ] || fail "/dev/zero: exit status $status, not 3"
[ "$elapsed" -lt 1000 ] || fail "/dev/zero took $elapsed ms"
echo "cli smoke: output, write failures and an endless file behave"
