#!/usr/bin/env python3
"""velmora-cli shows its progress on stderr only where stderr is a terminal: a line
rewritten in place while a count without a limit runs, cleared at the end, and never
mixed into stdout. Usage: terminal_progress_test.py VELMORA_CLI"""
import json
import os
import pty
import random
import subprocess
import sys
import tempfile

cli = sys.argv[1]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


with tempfile.TemporaryDirectory() as directory:
    # Two random ACGT texts long enough for a count of a few seconds.
    rng = random.Random(5)
    paths = []
    for name in ("first", "second"):
        path = os.path.join(directory, name)
        with open(path, "w") as f:
            f.write("".join(rng.choice("ACGT") for _ in range(5000)))
        paths.append(path)
    command = [cli, "length", "--no-count-limit", "--files", *paths]

    # stderr on a pseudo-terminal
    controller, terminal = pty.openpty()
    run = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=terminal)
    os.close(terminal)
    shown = b""
    while True:
        try:
            chunk = os.read(controller, 4096)
        except OSError:  # the terminal's other end closed
            break
        if not chunk:
            break
        shown += chunk
    stdout = run.stdout.read()
    check(run.wait() == 0, "exit status on a terminal")
    check(b"% of the pairs counted" in shown, f"no progress on the terminal: {shown[:200]!r}")
    check(shown.endswith(b"\r\x1b[K"), f"the progress line is not cleared: {shown[-40:]!r}")
    check(json.loads(stdout)["length"] > 0, "stdout is not the JSON line")
    on_terminal = stdout

    # stderr to a pipe: nothing but the result
    piped = subprocess.run(command, capture_output=True)
    check(piped.returncode == 0, "exit status with stderr piped")
    check(piped.stderr == b"", f"progress written to a pipe: {piped.stderr[:200]!r}")
    check(piped.stdout == on_terminal, "the result differs with stderr piped")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
