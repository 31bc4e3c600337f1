/* Even-5-parity or, built with -DMULTIPLEXER, the 11-multiplexer, as an app
 * on lil-gp's app interface: the Boolean benchmark problems of Morvane2's
 * parity5 and mux11 examples, for scripts/bench-lilgp.sh. */
#ifndef APPDEF_H
#define APPDEF_H

#ifdef MULTIPLEXER
#define MAXARGS 3
#else
#define MAXARGS 2
#endif
#define DATATYPE int

#endif
