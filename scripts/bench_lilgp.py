#!/usr/bin/python3
"""Whole-run throughput of Morvane2's batch program against lil-gp 1.03 (a C
tree-walking GP system) on four problems; see scripts/bench-lilgp.sh, which
builds both systems first and says what differs between their runs.

Usage: bench_lilgp.py ROOT BUILD LILGP_BUILD TRAIL [--seeds N] [--problems a,b,...]

LILGP_BUILD holds one folder per lil-gp app (parity, mux, regression, ant),
each with gp, gp-count and gp-check (bench/lilgp/Makefile); TRAIL is the ant
app's Santa Fe trail file.

First the fitness check: fixed programs of each strictly evaluated problem
go through Morvane2's fitness and the app's, which must agree bit for bit.
Then for each problem and seed both systems run one after the other, one
core each (Morvane2 with threads 1), each run a whole process, timed by its
CPU time (user and system): on a shared machine that is what another
process's load changes least, and on an idle one it is the wall time, as
neither uses a second core. Runs shorter than two seconds are repeated twice
more, alternately, and their median taken. Untimed counting passes repeat
each run from its seed and count its node executions; the throughput of a
seed is those over the run's time, and the table gives the median over the
seeds.
"""
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile

# The helpers of the comparison with DEAP, imported without leaving compiled
# files in scripts/.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_compare import parse, prepare, rate  # noqa: E402

sys.dont_write_bytecode = True  # nothing compiled left in scripts/
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
from bench_options import seeds_and_problems  # noqa: E402

SEEDS = 3
REPEAT_BELOW = 2.0


def xor(a, b):
    return "nor2(and2(%s,%s),nor2(%s,%s))" % (a, b, a, b)


def even_parity_program():
    odd = "b0"
    for k in range(1, 5):
        odd = xor(odd, "b%d" % k)
    return "not(%s)" % odd


# name, title, example, lil-gp app, fitness cases of a strict evaluation,
# the node set the comparison uses (terminals, functions: words of the
# node-set table), programs for the fitness check.
PROBLEMS = [
    ("parity5", "even-5-parity", "parity5", "parity", 32,
     ["b0", "b1", "b2", "b3", "b4"], ["and2", "or2", "nand2", "nor2", "not"],
     ["b0", "not(b4)", "and2(or2(b0,b1),nand2(b2,nor2(b3,b4)))",
      "nor2(and2(b0,not(b1)),and2(not(b0),b1))", even_parity_program()]),
    ("regression", "regression (101 points, Sin/Cos)", "regression-f2", "regression", 101,
     ["x0", "1.0", "2.0", "0.5", "3.0"], ["Plus2", "Subtract", "Times2", "divide", "Sin", "Cos"],
     ["x0", "divide(x0,Subtract(x0,x0))", "divide(1.0,Subtract(x0,3.0))",
      "Plus2(Times2(Sin(Times2(2.0,x0)),Cos(Times2(3.0,x0))),divide(x0,Plus2(x0,0.5)))",
      "Subtract(Sin(Cos(Times2(x0,x0))),divide(Times2(0.5,x0),Sin(x0)))"]),
    ("santafe", "Santa Fe ant (node executions)", "santafe", "ant", None, None, None, []),
    ("mux11", "11-multiplexer", "mux11", "mux", 2048,
     ["b%d" % k for k in range(11)], ["and2", "or2", "not", "if"],
     ["b3", "if(b0,b4,b3)", "and2(or2(b0,not(b1)),b5)",
      "if(b2,if(b1,if(b0,b10,b9),if(b0,b8,b7)),if(b1,if(b0,b6,b5),if(b0,b4,b3)))"]),
]


def timed(command, folder):
    """Runs command in folder: its CPU time (user and system, the process
    and its children) and its standard output."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    result = subprocess.run(command, cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if result.returncode != 0:
        raise SystemExit("%s failed in %s:\n%s" % (" ".join(command), folder, result.stderr))
    seconds = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return seconds, result.stdout


def progress(text):
    print(text, file=sys.stderr, flush=True)


def set_node_table(folder, terminals, functions):
    """Gives the run the comparison's node set: words missing from the
    example's table are added to its two lines (terminals, functions), in the
    scratch copy; a word the comparison does not use is an error."""
    if terminals is None:
        return []
    path = os.path.join(folder, "input", "table.txt")
    with open(path) as table:
        lines = [line.split() for line in table if line.strip()]
    if len(lines) != 2:
        raise SystemExit("%s: expected a terminal line and a function line" % path)
    added = []
    for words, wanted in zip(lines, (terminals, functions)):
        extra = [w for w in words[1:] if w not in wanted]
        if extra:
            raise SystemExit("%s: the comparison does not use %s" % (path, " ".join(extra)))
        for w in wanted:
            if w not in words[1:]:
                words.append(w)
                added.append(w)
    with open(path, "w") as table:
        for words in lines:
            table.write("%s\t%s \n" % (words[0], " ".join(words[1:])))
    return added


def lilgp_command(binary, parameters, trail, seed):
    command = [binary, "-q", "-f", parameters, "-p", "random_seed=%d" % seed, "-p", "output.basename=run"]
    if trail is not None:
        command += ["-p", "app.trail=%s" % trail]
    return command


def fitness_lines(command, folder, programs):
    result = subprocess.run(command, cwd=folder, input="\n".join(programs) + "\n", stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        raise SystemExit("%s failed:\n%s" % (" ".join(command), result.stderr))
    return [line.split()[1] for line in result.stdout.splitlines() if line.startswith("fitness ")]


def lilgp_generations(folder):
    """The generations of lil-gp's run in folder and the mean size of their
    programs: its statistics file has a line per generation, the sixth
    number the mean program size."""
    with open(os.path.join(folder, "run.stt")) as stt:
        sizes = [float(line.split()[5]) for line in stt if line.strip()]
    return len(sizes), statistics.mean(sizes)


USAGE = ("Usage: bench_lilgp.py ROOT BUILD LILGP_BUILD TRAIL [--seeds N] "
         "[--problems parity5,regression,santafe,mux11]")


def main():
    if len(sys.argv) < 5:
        raise SystemExit(USAGE)
    root, build, lilgp_build, trail = sys.argv[1:5]
    seeds = SEEDS
    names = [p[0] for p in PROBLEMS]
    seeds, names = seeds_and_problems(sys.argv[5:], seeds, names, USAGE)
    batch = os.path.join(build, "morvane2-batch")
    counter = os.path.join(build, "morvane2-run-count")
    fitness_of = os.path.join(build, "morvane2-fitness-of")
    parameters = os.path.join(root, "bench", "lilgp", "breeding.params")
    work = tempfile.mkdtemp(prefix="morvane2-lilgp-runs-")
    rows = []
    try:
        for name, title, example, app, cases, terminals, functions, programs in PROBLEMS:
            if name not in names:
                continue
            binaries = os.path.join(lilgp_build, app)
            app_trail = trail if app == "ant" else None

            # The same programs, the same fitness.
            folder = os.path.join(work, "%s-check" % name)
            prepare(root, example, folder, 1, 1)
            added = set_node_table(folder, terminals, functions)
            if added:
                progress("%s: node set of the example with %s added" % (name, " ".join(added)))
            if programs:
                ours = fitness_lines([fitness_of], folder, programs)
                peer = fitness_lines(lilgp_command(os.path.join(binaries, "gp-check"), parameters, app_trail, 1),
                                     folder, programs)
                if ours != peer or len(ours) != len(programs):
                    for program, a, b in zip(programs, ours, peer):
                        progress("  %s: Morvane2 %s, lil-gp %s" % (program, a, b))
                    raise SystemExit("%s: the two systems give different fitness to the same programs" % name)
                progress("%s: same fitness for %d fixed programs" % (name, len(programs)))

            per_seed = []
            for k in range(seeds):
                seed = 1 + k
                ours_folder = os.path.join(work, "%s-%d" % (name, seed))
                prepare(root, example, ours_folder, seed, 1)
                set_node_table(ours_folder, terminals, functions)
                peer_folder = ours_folder + "-lilgp"
                os.makedirs(peer_folder)
                peer_run = lilgp_command(os.path.join(binaries, "gp"), parameters, app_trail, seed)
                ours_times, peer_times = [], []
                while True:
                    ours_times.append(timed([batch], ours_folder)[0])
                    peer_times.append(timed(peer_run, peer_folder)[0])
                    if len(ours_times) == 3 or max(ours_times[0], peer_times[0]) >= REPEAT_BELOW:
                        break
                ours_seconds = statistics.median(ours_times)
                peer_seconds = statistics.median(peer_times)
                with open(os.path.join(ours_folder, "log.txt")) as log:
                    ours_generations = sum(1 for line in log if line.strip() == "")
                peer_generations, peer_size = lilgp_generations(peer_folder)

                # Untimed: the same runs again, counted.
                counted = parse(timed([counter], ours_folder)[1])
                count_folder = peer_folder + "-count"
                os.makedirs(count_folder)
                peer_count = lilgp_command(os.path.join(binaries, "gp-count"), parameters, app_trail, seed)
                result = subprocess.run(peer_count, cwd=count_folder, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE, text=True)
                if result.returncode != 0:
                    raise SystemExit("%s failed:\n%s" % (" ".join(peer_count), result.stderr))
                peer_counted = parse(result.stderr.splitlines()[-1])
                if counted["generations"] != ours_generations or lilgp_generations(count_folder)[0] != peer_generations:
                    raise SystemExit("%s seed %d: a counting pass did not repeat its run" % (name, seed))
                # lil-gp's counted executions of a strict evaluation: every
                # node once per case.
                if cases is not None and peer_counted["nodes"] != peer_counted["sizes"] * cases:
                    raise SystemExit("%s seed %d: lil-gp executed %d nodes, not size x cases" %
                                     (name, seed, peer_counted["nodes"]))

                per_seed.append({
                    "ours_seconds": ours_seconds, "peer_seconds": peer_seconds,
                    "ours_generations": ours_generations, "peer_generations": peer_generations,
                    "ours_rate": counted["executed"] / ours_seconds, "peer_rate": peer_counted["nodes"] / peer_seconds,
                    "ours_evaluated": counted["evaluations"] - counted["recalled"],
                    "peer_evaluated": peer_counted["evaluations"],
                    "ours_size": counted["mean_size"],
                    "peer_size": peer_size,
                })
                progress("%s seed %d: Morvane2 %.3f s CPU (%d generations), lil-gp %.3f s CPU (%d generations)" %
                         (name, seed, ours_seconds, ours_generations, peer_seconds, peer_generations))
            rows.append((title, {key: statistics.median(s[key] for s in per_seed) for key in per_seed[0]}))
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print()
    print("Whole runs, one core each, population 500, generations 0..50, tournament 7, depth limit 17;")
    print("median of %d seeds. Throughput: node executions per second of the whole run's CPU time (user +" % seeds)
    print("system; each process uses one core).")
    print()
    header = ("problem", "Morvane2", "lil-gp", "ratio", "generations M/L", "mean size M/L",
              "programs evaluated M/L", "CPU time M/L")
    widths = [33, 11, 11, 7, 16, 14, 23, 16]
    print(" ".join(h.ljust(w) for h, w in zip(header, widths)).rstrip())
    for title, m in rows:
        cells = (title, rate(m["ours_rate"]), rate(m["peer_rate"]), "%.1fx" % (m["ours_rate"] / m["peer_rate"]),
                 "%g/%g" % (m["ours_generations"], m["peer_generations"]),
                 "%.0f/%.0f" % (m["ours_size"], m["peer_size"]),
                 "%.0f/%.0f" % (m["ours_evaluated"], m["peer_evaluated"]),
                 "%.3f/%.3f s" % (m["ours_seconds"], m["peer_seconds"]))
        print(" ".join(c.ljust(w) for c, w in zip(cells, widths)).rstrip())
    print()
    print("Node executions: every node of every program evaluated, once per fitness case (Boolean problems")
    print("and regression: program size times cases); for the ant, the nodes each episode executes. Programs")
    print("whose fitness a system takes from memory are not counted: lil-gp keeps a copied individual's")
    print("fitness, Morvane2 remembers the fitness of the latest two generations' programs (ant, regression).")
    print("Mean size: of every program of every generation. Each column is a median over the seeds on its own.")


if __name__ == "__main__":
    main()
