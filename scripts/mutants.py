#!/usr/bin/env python3
"""Small, plausible breaks of the code, one at a time: does some test notice each?

Each line of tests/mutants.txt that is not blank or a comment holds four fields separated by tabs:
    file (from the repository root)   text to find   replacement   tests to run (space-separated ctest names)
The text to find must occur exactly once in the file; "\\t" and "\\n" in the two texts stand for a tab and a
line break. The tree is copied once into a scratch folder (MUTANTS_DIR, default build-mutants), built there
with ccache, and for each break the file is changed, only the named test targets are rebuilt, those tests
run, and the file is put back. A break is caught when a test fails, missed when all pass, and an error when
its text is not found (or found twice) or the changed code does not build.

usage: scripts/mutants.py [--check] [SUBSTRING]
    SUBSTRING   only the breaks whose line contains it
    --check     only look for each text to find in the working tree; build nothing
"""
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.environ.get("MUTANTS_DIR", os.path.join(ROOT, "build-mutants"))
TREE = os.path.join(WORK, "tree")
BUILD = os.path.join(WORK, "build")
LIST = os.path.join(ROOT, "tests", "mutants.txt")


def unescape(text):
    return text.replace("\\t", "\t").replace("\\n", "\n")


def read_breaks(only):
    breaks = []
    with open(LIST, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            if only and only not in line:
                continue
            fields = line.split("\t")
            if len(fields) != 4 or not fields[3].split():
                sys.exit(f"tests/mutants.txt:{number}: expected file, find, replace and tests separated by tabs")
            breaks.append((number, fields[0], unescape(fields[1]), unescape(fields[2]), fields[3].split()))
    return breaks


def copy_tree():
    files = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], cwd=ROOT,
                           check=True, capture_output=True).stdout.decode().split("\0")
    for name in filter(None, files):
        source = os.path.join(ROOT, name)
        target = os.path.join(TREE, name)
        if not os.path.isfile(source):
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        # Unchanged files keep their time stamps, so a second run rebuilds only what moved on. A changed file
        # gets the time of the copy: with its own (older) time the build would keep objects made from the old text.
        if not os.path.exists(target) or open(source, "rb").read() != open(target, "rb").read():
            shutil.copyfile(source, target)
            shutil.copymode(source, target)


def run(args, log):
    with open(log, "w") as out:
        return subprocess.run(args, cwd=TREE, stdout=out, stderr=subprocess.STDOUT).returncode == 0


def build(targets):
    return run(["cmake", "--build", BUILD, "-j2", "--target", *targets], os.path.join(WORK, "build.log"))


def tests_pass(tests):
    pattern = "^(" + "|".join(tests) + ")$"
    return run(["ctest", "--test-dir", BUILD, "-R", pattern, "--timeout", "180", "--output-on-failure"],
               os.path.join(WORK, "test.log"))


def check(breaks):
    bad = 0
    for number, name, find, _, _ in breaks:
        try:
            found = open(os.path.join(ROOT, name), encoding="utf-8").read().count(find)
        except OSError:
            found = 0
        if found != 1:
            bad += 1
            print(f"error  {name}:{number}  {'not found' if found == 0 else f'found {found} times'}")
    print(f"total {len(breaks)}: {bad} not found or ambiguous")
    return 1 if bad else 0


def main():
    args = sys.argv[1:]
    checking = "--check" in args
    args = [a for a in args if a != "--check"]
    breaks = read_breaks(args[0] if args else "")
    if not breaks:
        sys.exit("no breaks selected")
    if checking:
        return check(breaks)
    os.makedirs(TREE, exist_ok=True)
    copy_tree()
    os.environ["CCACHE_BASEDIR"] = TREE
    # No optimisation and no debug information: each break rebuilds and relinks, and only the verdict matters.
    if not run(["cmake", "-S", TREE, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Mutants"],
               os.path.join(WORK, "configure.log")):
        sys.exit(f"cmake failed, see {WORK}/configure.log")
    targets = sorted({t for b in breaks for t in b[4]})
    print(f"building {' '.join(targets)} once unchanged ...", flush=True)
    if not build(targets) or not tests_pass(targets):
        sys.exit(f"the unchanged tree does not build or pass its tests: see {WORK}/build.log and test.log")

    counts = {"caught": 0, "missed": 0, "error": 0}
    for number, name, find, replace, tests in breaks:
        path = os.path.join(TREE, name)
        label = f"{name}:{number}"
        started = time.monotonic()
        try:
            original = open(path, encoding="utf-8").read()
        except OSError:
            original = None
        found = original.count(find) if original is not None else 0
        if found != 1:
            verdict = "error"
            detail = "not found" if found == 0 else f"found {found} times"
        else:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original.replace(find, replace))
            try:
                if not build(tests):
                    verdict, detail = "error", "does not build"
                elif tests_pass(tests):
                    verdict, detail = "missed", ""
                else:
                    verdict, detail = "caught", ""
            finally:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original)
        counts[verdict] += 1
        shown = " ".join(find.split())[:60]
        print(f"{verdict:6} {label}  [{shown}] -> [{' '.join(replace.split())[:40]}]"
              f"{'  ' + detail if detail else ''}  ({time.monotonic() - started:.0f}s)", flush=True)

    total = len(breaks)
    share = 100.0 * counts["caught"] / total
    print(f"total {total}: {counts['caught']} caught, {counts['missed']} missed, {counts['error']} errors "
          f"({share:.0f}% caught)")
    return 0 if counts["error"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
