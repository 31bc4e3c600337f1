"""The options the whole-run comparisons share: --seeds N and --problems a,b."""


def seeds_and_problems(arguments, seeds, names, usage):
    """Reads --seeds and --problems from arguments (a list, consumed); any
    other word ends the script with the usage text."""
    while arguments:
        option = arguments.pop(0)
        if option == "--seeds" and arguments and arguments[0].isdigit():
            seeds = int(arguments.pop(0))
        elif option == "--problems" and arguments:
            names = arguments.pop(0).split(",")
        else:
            raise SystemExit(usage)
    return seeds, names
