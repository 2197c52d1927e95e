#!/usr/bin/env python3
"""A mutation pass over a change: applies each single edit of a list to the working tree,
rebuilds what it touches, runs the tests named for it, and counts the edits that some
test caught (killed) against those that every test let through (survived).

    tools/mutation-pass.py tools/mutants/LIST.txt [--only N,...]

Each entry of the list is a block of four lines, blocks apart by an empty line:
    file: logic/Letters.cpp
    from: byte <= 0x9F
    to: byte < 0x9F
    test: native | x86_64 REGEX
"from" must stand exactly once in the file. "native" builds and runs the window-free
logic's tests (build/native); "x86_64 REGEX" builds the 64-bit program and its tests and
runs the CTest tests whose names match REGEX in that suite. The tree must be clean: each
file is restored from git after its edit. Prints one line per edit and the kill rate.
"""
import argparse
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent


def read_mutants(path):
    mutants = []
    for block in path.read_text(encoding="utf-8").split("\n\n"):
        fields = {}
        for line in block.strip().splitlines():
            if line.startswith("#") or not line.strip():
                continue
            key, _, value = line.partition(":")
            fields[key.strip()] = value[1:] if value.startswith(" ") else value
        if fields:
            missing = {"file", "from", "to", "test"} - fields.keys()
            if missing:
                sys.exit(f"mutation-pass: an entry lacks {', '.join(sorted(missing))}: {block.strip()}")
            mutants.append(fields)
    return mutants


def shell(command):
    """Runs a command of tools/setup.sh in bash; True when it succeeded."""
    script = f'source "{ROOT}/tools/setup.sh"; parvola_root="{ROOT}"; {command}'
    return subprocess.run(["bash", "-c", script], cwd=ROOT, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def tests_pass(test):
    if test == "native":
        return shell("parvola_native_tests")
    arch, _, pattern = test.partition(" ")
    return shell(f"parvola_build {arch}") and shell(f"parvola_run_suite {arch} -R '{pattern}'")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("list", type=pathlib.Path)
    parser.add_argument("--only", help="numbers of the entries to run, from 1")
    arguments = parser.parse_args()
    mutants = read_mutants(arguments.list)
    chosen = {int(n) for n in arguments.only.split(",")} if arguments.only else None
    if subprocess.run(["git", "diff", "--quiet"], cwd=ROOT).returncode != 0:
        sys.exit("mutation-pass: the working tree has changes; commit them first")
    killed = survived = 0
    for number, mutant in enumerate(mutants, 1):
        if chosen and number not in chosen:
            continue
        path = ROOT / mutant["file"]
        text = path.read_text(encoding="utf-8")
        if text.count(mutant["from"]) != 1:
            sys.exit(f"mutation-pass: entry {number}: the text stands {text.count(mutant['from'])} times "
                     f"in {mutant['file']}: {mutant['from']}")
        path.write_text(text.replace(mutant["from"], mutant["to"]), encoding="utf-8")
        try:
            caught = not tests_pass(mutant["test"])
        finally:
            subprocess.run(["git", "checkout", "--", mutant["file"]], cwd=ROOT, check=True)
        killed += caught
        survived += not caught
        verdict = "killed  " if caught else "SURVIVED"
        print(f"{number:3} {verdict} {mutant['file']}: {mutant['from']!r} -> {mutant['to']!r}", flush=True)
    total = killed + survived
    if total:
        print(f"{killed} of {total} killed ({100.0 * killed / total:.1f} %)")
    # The tree is built again as it is, so that what is left behind is what was committed.
    shell("parvola_build x86_64 >/dev/null")
    return 0 if survived == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
