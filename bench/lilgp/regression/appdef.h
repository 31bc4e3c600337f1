/* Symbolic regression of (2 - 0.3x) sin 2x cos 3x + 0.01x^2 on lil-gp's app
 * interface: the problem of Morvane2's regression-f2 example, for
 * scripts/bench-lilgp.sh. */
#ifndef APPDEF_H
#define APPDEF_H

#define MAXARGS 2
#define DATATYPE double

#endif
