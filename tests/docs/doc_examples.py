"""Runs every `$ velmora-cli ...` example of README.md and docs/*.md and compares what it
prints with the lines shown under it, up to the next example or the end of the block.
Usage: doc_examples.py VELMORA_CLI REPOSITORY"""
import pathlib
import shlex
import subprocess
import sys


def examples(path):
    """(line number, command, expected lines) for each example in the file's code blocks."""
    in_block, current = False, None
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        stripped = line.strip()
        if stripped.startswith("```"):
            if current:
                yield current
            in_block, current = not in_block, None
        elif in_block and stripped.startswith("$ velmora-cli"):
            if current:
                yield current
            current = (number, stripped[2:], [])
        elif in_block and current:
            current[2].append(stripped)


def main(cli, repository):
    root = pathlib.Path(repository)
    failures = checked = 0
    for path in [root / "README.md", *sorted((root / "docs").glob("*.md"))]:
        for number, command, expected in examples(path):
            words = shlex.split(command)
            run = subprocess.run([cli, *words[1:]], capture_output=True, text=True, cwd=root, timeout=120)
            got = run.stdout.splitlines()
            checked += 1
            if got != expected:
                failures += 1
                print("%s:%d: %s\n  shown: %s\n  got:   %s" % (path.name, number, command, expected, got))
    print("%d examples checked, %d differ" % (checked, failures))
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
