#!/usr/bin/env python3
"""Applies plausible one-line faults to the source one at a time and reports
which ones the tests catch.

For each fault in the list (scripts/mutations.txt by default) it changes the
file, rebuilds what depends on it, runs only the test programs that were
relinked (and the ones that start the application, when the application was
relinked) inside scripts/desktop-rig.sh, and puts the file back. A fault is
caught when a test fails, and fails again when run alone; a fault that does
not compile counts for nothing.

    scripts/mutate.py                       # every fault, build folder "build"
    scripts/mutate.py --build build-mut 3 7 # only the 3rd and 7th fault

Run it in a checkout nobody edits meanwhile: the files are changed in place.
Exit status 0 when it ran, whatever the kill rate.
"""

import argparse
import json
import os
import re
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TEST_TIMEOUT = 600  # seconds for one fault's tests, rig included


@dataclass
class Mutation:
    number: int
    what: str
    path: str
    original: str
    replacement: str


def read_mutations(path: Path) -> list[Mutation]:
    mutations: list[Mutation] = []
    for block in re.split(r"\n\s*\n", path.read_text()):
        lines = block.strip("\n").split("\n")
        comments = [line[1:].strip() for line in lines if line.startswith("#")]
        body = [line for line in lines if not line.startswith("#")]
        if not body:
            continue
        minus = [line[2:] for line in body[1:] if line.startswith("- ")]
        plus = [line[2:] for line in body[1:] if line.startswith("+ ")]
        if not minus or not plus or len(minus) + len(plus) != len(body) - 1:
            sys.exit(f"mutations: cannot read the block for {body[0]}")
        mutations.append(Mutation(len(mutations) + 1, " ".join(comments), body[0], "\n".join(minus),
                                  "\n".join(plus)))
    return mutations


def build(build_dir: Path, targets: list[str] = ()) -> bool:
    target_args = ["--target", *targets] if targets else []
    result = subprocess.run(["cmake", "--build", str(build_dir), "-j2", *target_args], cwd=ROOT,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode == 0


def test_programs(build_dir: Path) -> dict[str, str]:
    """Test name by the program it runs."""
    shown = subprocess.run(["ctest", "--test-dir", str(build_dir), "--show-only=json-v1"], check=True,
                           stdout=subprocess.PIPE, text=True).stdout
    programs = {}
    for test in json.loads(shown)["tests"]:
        programs[os.path.realpath(test["command"][0])] = test["name"]
    return programs


def tests_starting_app() -> set[str]:
    """Tests that start the application binary rather than link its parts."""
    names = set()
    for source in (ROOT / "tests").rglob("test_*.cpp"):
        if "PrivateTarnwick" in source.read_text():
            names.add(source.stem)
    return names


def modification_times(paths) -> dict[str, float]:
    return {path: os.stat(path).st_mtime if os.path.exists(path) else 0.0 for path in paths}


def run_tests(build_dir: Path, names: list[str]) -> list[str]:
    """The tests that failed, so a catch can be told from a test that broke for another reason."""
    pattern = "^(" + "|".join(sorted(names)) + ")$"
    # Detached from this script, whose Python has a desktop entry: the sensor
    # tests' clients would count it among their ancestors, and the watcher
    # rightly names a helper after the app it was started from.
    command = ["sh", "-c", '("$@"; echo "exit status $?") &', "sh", str(ROOT / "scripts/desktop-rig.sh"), "ctest",
               "--test-dir", str(build_dir), "-R", pattern]
    try:
        result = subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                timeout=TEST_TIMEOUT)
    except subprocess.TimeoutExpired:
        return ["(timed out)"]
    status = re.search(r"exit status (\d+)\s*$", result.stdout)
    if status and status.group(1) == "0":
        return []
    with open(build_dir / "mutation-failures.log", "a") as log:
        log.write(f"=== {pattern}\n{result.stdout}\n")
    listed = result.stdout.partition("The following tests FAILED:")[2]
    failed = re.findall(r"^\s*\d+ - (\S+) \(", listed, re.MULTILINE)
    return failed or ["(the rig failed)"]


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build", help="build folder (configured already)")
    parser.add_argument("--list", default=str(ROOT / "scripts/mutations.txt"), help="the faults")
    parser.add_argument("only", nargs="*", type=int, help="numbers of the faults to try")
    args = parser.parse_args()

    build_dir = (ROOT / args.build).resolve()
    mutations = read_mutations(Path(args.list))
    if args.only:
        mutations = [m for m in mutations if m.number in args.only]

    for m in mutations:
        text = (ROOT / m.path).read_text()
        if text.count(m.original) != 1:
            sys.exit(f"mutation {m.number}: the fragment occurs {text.count(m.original)} times in {m.path}")
    if not build(build_dir):
        sys.exit("the unchanged tree does not build")
    programs = test_programs(build_dir)
    app = os.path.realpath(build_dir / "src/shell/tarnwick")
    app_tests = tests_starting_app() & set(programs.values())
    # Only what the tests run: the benchmarks would only add links.
    needed = sorted(name for path, name in programs.items() if Path(path).name == name) + ["tarnwick"]

    caught, tried, failed = [], [], []
    started = time.monotonic()
    for m in mutations:
        source = ROOT / m.path
        original = source.read_text()
        before = modification_times(list(programs) + [app])
        source.write_text(original.replace(m.original, m.replacement))
        try:
            if not build(build_dir, needed):
                print(f"{m.number:3} does not compile  {m.path}: {m.what}", flush=True)
                continue
            after = modification_times(before)
            relinked = {programs[p] for p in programs if after[p] != before[p]}
            if after[app] != before[app]:
                relinked |= app_tests
            # A test that fails once may only have been slow, or upset by one run
            # before it: a catch must repeat alone, or the whole set is run once more.
            for _ in range(2):
                failed = run_tests(build_dir, list(relinked)) if relinked else []
                if not failed or failed[0].startswith("("):
                    break
                failed = [name for name in failed if run_tests(build_dir, [name])]
                if failed:
                    break
            killed = bool(failed)
        finally:
            source.write_text(original)
            build(build_dir, needed)
        tried.append(m)
        if killed:
            caught.append(m)
        verdict = "caught" if killed else "MISSED"
        by = f", by {' '.join(failed)}" if killed else ""
        print(f"{m.number:3} {verdict:15} {m.path}: {m.what} ({len(relinked)} programs{by})", flush=True)
    minutes = (time.monotonic() - started) / 60
    rate = 100.0 * len(caught) / len(tried) if tried else 0.0
    print(f"kill rate: {len(caught)} of {len(tried)} caught ({rate:.0f} %) in {minutes:.0f} min")
    return 0


if __name__ == "__main__":
    sys.exit(main())
