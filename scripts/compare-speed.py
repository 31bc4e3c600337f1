#!/usr/bin/env python3
"""Times two batch programs side by side on the example input sets.

Runs OLD and NEW alternately (OLD, NEW, OLD, NEW, ...) on a fresh copy of each
example, so that both meet the same machine load, and prints per example the
median CPU time and wall time of each and their ratios (NEW / OLD; below 1 is
faster).

Usage: scripts/compare-speed.py OLD-BATCH NEW-BATCH [--repeats N] [--threads T] [EXAMPLE...]
"""
import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def prepare(example, folder, threads):
    shutil.copytree(os.path.join(ROOT, "examples", example, "input"), os.path.join(folder, "input"))
    path = os.path.join(folder, "input", "parameter.txt")
    lines = open(path).read().splitlines(keepends=True)
    out = []
    for line in lines:
        out.append(line)
        if line.startswith("-----") and "int_parameter" in line:
            out.append("threads\t%d\n" % threads)
    open(path, "w").write("".join(out))


def timed_run(program, folder):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    result = subprocess.run([program], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if result.returncode != 0:
        sys.exit("%s failed in %s with status %d" % (program, folder, result.returncode))
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return cpu, wall


def main():
    parser = argparse.ArgumentParser(usage=__doc__.strip().splitlines()[-1].replace("Usage: ", ""))
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--repeats", type=int, default=5)
    parser.add_argument("--threads", type=int, default=1)
    parser.add_argument("examples", nargs="*")
    args = parser.parse_args()
    examples = args.examples or sorted(
        e for e in os.listdir(os.path.join(ROOT, "examples")) if os.path.isdir(os.path.join(ROOT, "examples", e, "input")))
    programs = [os.path.realpath(args.old), os.path.realpath(args.new)]
    print("%-14s %9s %9s %7s   %9s %9s %7s" % ("example", "old cpu", "new cpu", "ratio", "old wall", "new wall", "ratio"))
    worst = 0.0
    with tempfile.TemporaryDirectory() as work:
        for example in examples:
            times = {0: [], 1: []}
            for r in range(args.repeats):
                for which in (0, 1) if r % 2 == 0 else (1, 0):
                    folder = os.path.join(work, "%s-%d-%d" % (example, which, r))
                    prepare(example, folder, args.threads)
                    times[which].append(timed_run(programs[which], folder))
                    shutil.rmtree(folder)
            cpu = [statistics.median(t[0] for t in times[w]) for w in (0, 1)]
            wall = [statistics.median(t[1] for t in times[w]) for w in (0, 1)]
            ratio = cpu[1] / cpu[0] if cpu[0] > 0 else float("nan")
            worst = max(worst, ratio)
            print("%-14s %8.3fs %8.3fs %7.3f   %8.3fs %8.3fs %7.3f" %
                  (example, cpu[0], cpu[1], ratio, wall[0], wall[1], wall[1] / wall[0] if wall[0] > 0 else float("nan")))
    print("largest CPU-time ratio new/old: %.3f (median of %d runs each, %d thread(s))" % (worst, args.repeats, args.threads))


if __name__ == "__main__":
    main()
