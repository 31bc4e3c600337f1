#!/usr/bin/python3
"""Whole-run comparison of Morvane2's batch program with DEAP on five
problems; see scripts/bench-compare.sh, which builds the programs and installs
DEAP first.

Usage: bench_compare.py ROOT BUILD [--seeds N] [--problems a,b,...]

For each problem and seed, runs of each system one after the other on the
same machine: Morvane2's batch program on the example input set with the seed
changed (on all cores, and on one thread; each the median of three runs, as
its runs last a fraction of a second and a moment's disturbance shows), then
the DEAP program of scripts/bench_deap.py (one run of seconds). Wall times
are of the whole process, start-up included. Node evaluations come from
untimed replays of the first seed's runs (both systems repeat a run exactly
from its seed): Morvane2's run counter and DEAP's counting pass.
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # nothing compiled left in scripts/
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from bench_options import seeds_and_problems  # noqa: E402

PROBLEMS = [
    # name, example folder, DEAP's evaluation
    ("mux6", "mux6", "case by case"),
    ("parity5", "parity5", "case by case"),
    ("mux11", "mux11", "bit-parallel ints"),
    ("santafe", "santafe", "closures"),
    ("regression", "regression-f2", "case by case"),
]


def parse(line):
    return {key: float(value) for key, value in re.findall(r"(\w+)=([-+\d.eEinfa]+)", line)}


def prepare(root, example, folder, seed, threads):
    if os.path.exists(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    shutil.copytree(os.path.join(root, "examples", example, "input"), os.path.join(folder, "input"))
    path = os.path.join(folder, "input", "parameter.txt")
    lines = []
    with open(path) as parameters:
        for line in parameters:
            words = line.split()
            if words and words[0] == "seed":
                line = "seed\t%d\n" % seed
            lines.append(line)
            if line.startswith("----- int_parameter") and threads is not None:
                lines.append("threads\t%d\n" % threads)
    with open(path, "w") as parameters:
        parameters.writelines(lines)


def generations_logged(folder):
    # Each logged generation is a line "g : fitness", its program and an
    # empty line; the saved best that ends the log has no empty line.
    with open(os.path.join(folder, "log.txt")) as log:
        return sum(1 for line in log if line.strip() == "")


def timed(command, folder):
    start = time.perf_counter()
    result = subprocess.run(command, cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    seconds = time.perf_counter() - start
    if result.returncode != 0:
        raise SystemExit("%s failed in %s:\n%s" % (" ".join(command), folder, result.stderr))
    return seconds, result.stdout


def median_run(command, folder, runs):
    # The batch program writes its logs afresh on every run.
    times = [timed(command, folder)[0] for _ in range(runs)]
    return statistics.median(times)


def rate(value):
    for unit, scale in (("G", 1e9), ("M", 1e6), ("k", 1e3)):
        if value >= scale:
            return "%.1f %s/s" % (value / scale, unit)
    return "%.0f /s" % value


USAGE = "Usage: bench_compare.py ROOT BUILD [--seeds N] [--problems mux6,parity5,mux11,santafe,regression]"


def main():
    if len(sys.argv) < 3:
        raise SystemExit(USAGE)
    root, build = sys.argv[1], sys.argv[2]
    seeds = 5
    names = [p[0] for p in PROBLEMS]
    seeds, names = seeds_and_problems(sys.argv[3:], seeds, names, USAGE)
    batch = os.path.join(build, "morvane2-batch")
    counter = os.path.join(build, "morvane2-run-count")
    deap = os.path.join(root, "scripts", "bench_deap.py")
    cores = os.cpu_count()
    work = tempfile.mkdtemp(prefix="morvane2-compare-")
    rows = []
    try:
        for name, example, style in PROBLEMS:
            if name not in names:
                continue
            ours, ours_one, peer = [], [], []
            ours_generations, peer_generations = [], []
            ours_rate = peer_rate = None
            for k in range(seeds):
                seed = 1 + k
                folder = os.path.join(work, "%s-%d" % (name, seed))
                prepare(root, example, folder, seed, None)
                seconds = median_run([batch], folder, 3)
                ours.append(seconds)
                ours_generations.append(generations_logged(folder))
                if k == 0:
                    _, output = timed([counter], folder)
                    ours_rate = parse(output)["nodes"] / seconds
                one = folder + "-one"
                prepare(root, example, one, seed, 1)
                ours_one.append(median_run([batch], one, 3))
                seconds, output = timed(["/usr/bin/python3", deap, name, str(seed)], work)
                peer.append(seconds)
                values = parse(output)
                peer_generations.append(values["generations"] + 1)
                if k == 0:
                    _, output = timed(["/usr/bin/python3", deap, name, str(seed), "--count"], work)
                    peer_rate = parse(output)["nodes"] / seconds
                print("  %s seed %d: Morvane2 %.3f s (%d gen), one thread %.3f s; DEAP %.3f s (%d gen)" %
                      (name, seed, ours[-1], ours_generations[-1], ours_one[-1], peer[-1], peer_generations[-1]),
                      file=sys.stderr)
            m_ours, m_one, m_peer = (statistics.median(v) for v in (ours, ours_one, peer))
            g_ours, g_peer = statistics.median(ours_generations), statistics.median(peer_generations)
            per_ours = statistics.median(t / g for t, g in zip(ours, ours_generations))
            per_peer = statistics.median(t / g for t, g in zip(peer, peer_generations))
            rows.append((name, style, m_ours, m_one, m_peer, g_ours, g_peer, per_ours, per_peer, ours_rate, peer_rate))
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print()
    print("Whole runs: population 500, generations 0..50 (stopping after a solving generation), tournament 7,")
    print("1 elite, crossover 0.9, mutation 0.05, depth limit 17; median of %d seeds; wall time of the whole" % seeds)
    print("process. Morvane2 on all %d cores (threads parameter absent) and on one thread; DEAP 1.3 on one core." %
          cores)
    print()
    header = ("problem", "DEAP evaluates", "Morvane2", "1 thread", "DEAP", "ratio", "ratio 1 thr",
              "threads gain", "gens M/D", "s/gen M", "s/gen DEAP", "per-gen ratio", "nodes/s M", "nodes/s DEAP")
    widths = [11, 17, 9, 9, 8, 7, 11, 12, 9, 9, 10, 13, 13, 13]
    print(" ".join(h.ljust(w) for h, w in zip(header, widths)))
    for (name, style, m_ours, m_one, m_peer, g_ours, g_peer, per_ours, per_peer, ours_rate, peer_rate) in rows:
        cells = (name, style, "%.3f s" % m_ours, "%.3f s" % m_one, "%.2f s" % m_peer, "%.1fx" % (m_peer / m_ours),
                 "%.1fx" % (m_peer / m_one), "%.2fx" % (m_one / m_ours), "%g/%g" % (g_ours, g_peer),
                 "%.4f" % per_ours, "%.4f" % per_peer,
                 "%.1fx" % (per_peer / per_ours), rate(ours_rate), rate(peer_rate))
        print(" ".join(c.ljust(w) for c, w in zip(cells, widths)))
    print()
    print("Morvane2's times are medians over seeds of the median of three runs per seed; threads gain is the")
    print("one-thread time over the all-cores time.")
    print("Both systems stop after the generation in which an individual solves parity or the multiplexer, so")
    print("their generation counts differ from seed to seed; the per-generation columns compare work per")
    print("generation. Node evaluations: program nodes times fitness cases for every evaluated program (the ant:")
    print("nodes executed), from the first seed's run. Morvane2 evaluates every individual of every generation")
    print("(boolean programs 64 cases per machine word, typed numeric programs all cases of a node at once);")
    print("DEAP evaluates only changed individuals, every node of them.")


if __name__ == "__main__":
    main()
