#!/usr/bin/python3
"""The peer side of scripts/bench-compare.sh: the five benchmark problems as
DEAP programs, set up as close to the example runs of Morvane2 as DEAP allows.

Usage: bench_deap.py PROBLEM SEED [--count]

PROBLEM is one of mux6, mux11, parity5, santafe, regression. Prints one line
of key=value pairs: the generations evaluated, the best fitness, the wall time
of the run (after the imports) and, with --count, the node evaluations of the
run (a second, untimed pass; every run is repeatable from its seed).

What matches Morvane2's runs: population 500, generations 0 to 50, tournament
size 7, one elite, crossover 0.9 and mutation 0.05 of the rest (DEAP's varAnd),
trees no deeper than Morvane2's depth limit 17 (DEAP counts depth from 0, so
its height limit is 16), initial trees grown to Morvane2's initial depth 6
(height 5), the same function and terminal sets and the same fitness cases.
Like Morvane2, a run stops after the generation in which an individual solves
the problem (parity and multiplexer only). Node evaluations count every node
of every evaluated program once per fitness case (DEAP runs every node: its
if is an ordinary function); for the ant, the nodes executed.
"""
import math
import operator
import random
import sys
import time

from deap import base, creator, gp, tools

POPULATION = 500
GENERATIONS = 50
TOURNAMENT = 7
ELITE = 1
CROSSOVER = 0.9
MUTATION = 0.05
HEIGHT_LIMIT = 16  # Morvane2 depth 17
INITIAL_HEIGHT = 5  # Morvane2 initial depth 6

counting = False
nodes = 0


# ---- boolean problems, case by case as DEAP's own examples evaluate them ----

def if_then_else(condition, out1, out2):
    return out1 if condition else out2


def boolean_pset(inputs, functions):
    pset = gp.PrimitiveSet("MAIN", inputs, "b")
    for name, function, arity in functions:
        pset.addPrimitive(function, arity, name=name)
    return pset


def multiplexer_cases(k):
    inputs = k + 2 ** k
    cases = []
    for c in range(2 ** inputs):
        bits = [(c >> i) & 1 for i in range(inputs)]
        address = sum(bits[i] << i for i in range(k))
        cases.append((bits, bits[k + address]))
    return inputs, cases


def parity_cases(n):
    cases = []
    for c in range(2 ** n):
        bits = [(c >> i) & 1 for i in range(n)]
        cases.append((bits, (sum(bits) + 1) % 2))
    return n, cases


def per_case_setup(inputs, cases, functions):
    pset = boolean_pset(inputs, functions)

    def evaluate(individual, toolbox):
        global nodes
        func = toolbox.compile(expr=individual)
        if counting:
            nodes += len(individual) * len(cases)
        errors = sum(func(*bits) != right for bits, right in cases)
        return (errors,)

    return pset, evaluate, 0.0


def bit_parallel_setup(inputs, cases, functions):
    # Each input is one Python integer holding all cases, bit c for case c.
    count = len(cases)
    mask = (1 << count) - 1
    words = [sum(bits[i] << c for c, (bits, _) in enumerate(cases)) for i in range(inputs)]
    target = sum(right << c for c, (_, right) in enumerate(cases))
    pset = gp.PrimitiveSet("MAIN", inputs, "b")
    pset.addPrimitive(operator.and_, 2, name="AND")
    pset.addPrimitive(operator.or_, 2, name="OR")
    pset.addPrimitive(lambda a: a ^ mask, 1, name="NOT")
    pset.addPrimitive(lambda c, a, b: (c & a) | ((c ^ mask) & b), 3, name="IF")

    def evaluate(individual, toolbox):
        global nodes
        func = toolbox.compile(expr=individual)
        if counting:
            nodes += len(individual) * count
        return (bin(func(*words) ^ target).count("1"),)

    return pset, evaluate, 0.0


MUX_FUNCTIONS = [("AND", operator.and_, 2), ("OR", operator.or_, 2), ("NOT", operator.not_, 1),
                 ("IF", if_then_else, 3)]
PARITY_FUNCTIONS = [("AND", operator.and_, 2), ("OR", operator.or_, 2),
                    ("NAND", lambda a, b: not (a and b), 2), ("NOR", lambda a, b: not (a or b), 2)]


# ---- regression of F2 on the 101 points 0.0, 0.1, ... 10.0 ----

def protected_divide(x, y):
    return 1.0 if abs(y) < 1e-10 else x / y


def regression_setup():
    points = []
    x = 0.0
    while x < 10.05:
        points.append((x, (2.0 - 0.3 * x) * math.sin(2.0 * x) * math.cos(3.0 * x) + 0.01 * (x * x)))
        x += 0.1
    pset = gp.PrimitiveSet("MAIN", 1, "x")
    pset.addPrimitive(operator.add, 2, name="Plus")
    pset.addPrimitive(operator.sub, 2, name="Subtract")
    pset.addPrimitive(operator.mul, 2, name="Times")
    pset.addPrimitive(protected_divide, 2, name="divide")
    pset.addPrimitive(math.sin, 1, name="Sin")
    pset.addPrimitive(math.cos, 1, name="Cos")
    pset.addTerminal(1.0)
    pset.addTerminal(2.0)
    pset.addTerminal(0.5)

    def evaluate(individual, toolbox):
        global nodes
        func = toolbox.compile(expr=individual)
        if counting:
            nodes += len(individual) * len(points)
        total = 0.0
        for x, y in points:
            try:
                total += abs(func(x) - y)
            except (OverflowError, ValueError):
                total = math.inf
        return (total,)

    return pset, evaluate, None


# ---- the Santa Fe ant under Morvane2's rules ----

class AntSimulator:
    """32 x 32 cells inside a wall, start at (1, 1) facing x + 1, energy 400:
    a step costs 1 (even into a wall, which it does not enter), turns are
    free, every run of the program costs 1; food is eaten by entering a cell."""

    DIRECTIONS = [(1, 0), (0, 1), (-1, 0), (0, -1)]

    def __init__(self, foods):
        self.foods = foods

    def reset(self):
        self.x, self.y, self.direction, self.energy = 1, 1, 0, 400.0
        self.food = set(self.foods)
        self.eaten = 0

    def ahead(self):
        dx, dy = self.DIRECTIONS[self.direction]
        return self.x + dx, self.y + dy

    def move_forward(self):
        if self.energy <= 0:
            return
        self.energy -= 1
        x, y = self.ahead()
        if 1 <= x <= 32 and 1 <= y <= 32:
            self.x, self.y = x, y
            if (x, y) in self.food:
                self.food.discard((x, y))
                self.eaten += 1

    def turn_left(self):
        self.direction = (self.direction + 1) % 4

    def turn_right(self):
        self.direction = (self.direction + 3) % 4

    def sense_food(self):
        return self.ahead() in self.food

    def if_food_ahead(self, out1, out2):
        return lambda: out1() if self.sense_food() else out2()

    def run(self, routine):
        self.reset()
        while True:
            routine()
            self.energy -= 1
            if self.energy <= 0:
                break
        return self.eaten


SANTA_FE_FOOD = [
    (2, 1), (3, 1), (4, 1), (4, 2), (4, 3), (26, 3), (27, 3), (28, 3), (4, 4), (25, 4), (30, 4), (4, 5), (25, 5),
    (30, 5), (4, 6), (5, 6), (6, 6), (7, 6), (9, 6), (10, 6), (11, 6), (12, 6), (13, 6), (22, 6), (23, 6), (13, 7),
    (30, 7), (13, 8), (21, 8), (13, 9), (21, 9), (13, 10), (21, 10), (30, 10), (21, 11), (13, 12), (13, 13),
    (30, 13), (13, 14), (21, 14), (13, 15), (21, 15), (27, 15), (28, 15), (29, 15), (18, 16), (24, 16), (13, 18),
    (13, 19), (17, 19), (25, 19), (13, 20), (17, 20), (28, 20), (13, 21), (17, 21), (13, 22), (17, 22), (13, 23),
    (27, 23), (13, 24), (24, 24), (4, 25), (5, 25), (8, 25), (9, 25), (10, 25), (11, 25), (12, 25), (17, 25),
    (2, 26)]


def ant_setup():
    ant = AntSimulator(SANTA_FE_FOOD)

    def prog2(out1, out2):
        def run():
            out1()
            out2()
        return run

    if_food_ahead = ant.if_food_ahead
    terminals = [ant.move_forward, ant.turn_left, ant.turn_right]
    if counting:
        # The counting pass only: every node counts once per execution.
        def counted(function):
            def run(*arguments):
                global nodes
                nodes += 1
                return function(*arguments)
            return run

        def counting_prog2(out1, out2):
            return counted(prog2(out1, out2))

        def counting_if(out1, out2):
            return counted(ant.if_food_ahead(out1, out2))

        prog2_used, if_used, terminals = counting_prog2, counting_if, [counted(t) for t in terminals]
    else:
        prog2_used, if_used = prog2, if_food_ahead

    pset = gp.PrimitiveSet("MAIN", 0)
    pset.addPrimitive(if_used, 2, name="ifFoodAhead")
    pset.addPrimitive(prog2_used, 2, name="Prog2")
    pset.addTerminal(terminals[0], name="moveForward")
    pset.addTerminal(terminals[1], name="turnLeft")
    pset.addTerminal(terminals[2], name="turnRight")

    def evaluate(individual, toolbox):
        routine = gp.compile(individual, pset)
        return (ant.run(routine),)

    return pset, evaluate, None


def prepare(problem):
    if problem == "mux6":
        return per_case_setup(*multiplexer_cases(2), MUX_FUNCTIONS)
    if problem == "mux11":
        return bit_parallel_setup(*multiplexer_cases(3), MUX_FUNCTIONS)
    if problem == "parity5":
        return per_case_setup(*parity_cases(5), PARITY_FUNCTIONS)
    if problem == "santafe":
        return ant_setup()
    if problem == "regression":
        return regression_setup()
    raise SystemExit("unknown problem " + problem)


def run(problem, seed):
    random.seed(seed)
    pset, evaluate, solved_at = prepare(problem)
    maximise = problem == "santafe"
    if not hasattr(creator, "Fitness"):
        creator.create("Fitness", base.Fitness, weights=(1.0,) if maximise else (-1.0,))
        creator.create("Individual", gp.PrimitiveTree, fitness=creator.Fitness)
    toolbox = base.Toolbox()
    toolbox.register("expr", gp.genGrow, pset=pset, min_=0, max_=INITIAL_HEIGHT)
    toolbox.register("individual", tools.initIterate, creator.Individual, toolbox.expr)
    toolbox.register("population", tools.initRepeat, list, toolbox.individual)
    toolbox.register("compile", gp.compile, pset=pset)
    toolbox.register("evaluate", evaluate, toolbox=toolbox)
    toolbox.register("select", tools.selTournament, tournsize=TOURNAMENT)
    toolbox.register("mate", gp.cxOnePoint)
    toolbox.register("expr_mut", gp.genGrow, min_=0, max_=INITIAL_HEIGHT)
    toolbox.register("mutate", gp.mutUniform, expr=toolbox.expr_mut, pset=pset)
    limit = gp.staticLimit(key=operator.attrgetter("height"), max_value=HEIGHT_LIMIT)
    toolbox.decorate("mate", limit)
    toolbox.decorate("mutate", limit)

    population = toolbox.population(n=POPULATION)
    generation = 0
    while True:
        invalid = [ind for ind in population if not ind.fitness.valid]
        for individual, fitness in zip(invalid, map(toolbox.evaluate, invalid)):
            individual.fitness.values = fitness
        best = tools.selBest(population, 1)[0]
        if generation == GENERATIONS:
            break
        if solved_at is not None and best.fitness.values[0] <= solved_at:
            break
        elite = [toolbox.clone(ind) for ind in tools.selBest(population, ELITE)]
        offspring = toolbox.select(population, POPULATION - ELITE)
        offspring = algorithms_var_and(offspring, toolbox, CROSSOVER, MUTATION)
        population = elite + offspring
        generation += 1
    return generation, best.fitness.values[0]


def algorithms_var_and(population, toolbox, cxpb, mutpb):
    from deap import algorithms
    return algorithms.varAnd(population, toolbox, cxpb, mutpb)


def main():
    global counting, nodes
    if len(sys.argv) < 3 or not sys.argv[2].isdigit():
        raise SystemExit("Usage: bench_deap.py PROBLEM SEED [--count]")
    problem, seed = sys.argv[1], int(sys.argv[2])
    start = time.perf_counter()
    generations, best = run(problem, seed)
    seconds = time.perf_counter() - start
    line = "generations=%d best=%g seconds=%.4f" % (generations, best, seconds)
    if "--count" in sys.argv[3:]:
        counting = True
        nodes = 0
        counted_generations, counted_best = run(problem, seed)
        if (counted_generations, counted_best) != (generations, best):
            raise SystemExit("the counting pass did not repeat the run")
        line += " nodes=%d" % nodes
    print(line)


if __name__ == "__main__":
    main()
