/* The functions and terminals of the Boolean problems, each one node of a
 * program. Every function is strict (all arguments evaluated), as in
 * Morvane2, so a program of n nodes takes n node executions per case. */
#ifndef FUNCTION_H
#define FUNCTION_H

#include <lilgp.h>

DATATYPE f_and ( int tree, farg *args );
DATATYPE f_or ( int tree, farg *args );
DATATYPE f_nand ( int tree, farg *args );
DATATYPE f_nor ( int tree, farg *args );
DATATYPE f_not ( int tree, farg *args );
DATATYPE f_if ( int tree, farg *args );

DATATYPE f_b0 ( int tree, farg *args );
DATATYPE f_b1 ( int tree, farg *args );
DATATYPE f_b2 ( int tree, farg *args );
DATATYPE f_b3 ( int tree, farg *args );
DATATYPE f_b4 ( int tree, farg *args );
DATATYPE f_b5 ( int tree, farg *args );
DATATYPE f_b6 ( int tree, farg *args );
DATATYPE f_b7 ( int tree, farg *args );
DATATYPE f_b8 ( int tree, farg *args );
DATATYPE f_b9 ( int tree, farg *args );
DATATYPE f_b10 ( int tree, farg *args );

#endif
