/* Values are 0 and 1. */
#include <lilgp.h>

DATATYPE f_and ( int tree, farg *args ) { return args[0].d & args[1].d; }
DATATYPE f_or ( int tree, farg *args ) { return args[0].d | args[1].d; }
DATATYPE f_nand ( int tree, farg *args ) { return ( args[0].d & args[1].d ) ^ 1; }
DATATYPE f_nor ( int tree, farg *args ) { return ( args[0].d | args[1].d ) ^ 1; }
DATATYPE f_not ( int tree, farg *args ) { return args[0].d ^ 1; }
DATATYPE f_if ( int tree, farg *args ) { return args[0].d ? args[1].d : args[2].d; }

#define INPUT(k) \
     DATATYPE f_b##k ( int tree, farg *args ) { return boolean_input[k]; }

INPUT(0) INPUT(1) INPUT(2) INPUT(3) INPUT(4)
#ifdef MULTIPLEXER
INPUT(5) INPUT(6) INPUT(7) INPUT(8) INPUT(9) INPUT(10)
#endif
