/* The functions and terminals of the regression problem, each one node of a
 * program: + - * and protected division, sin and cos, x and four constants. */
#ifndef FUNCTION_H
#define FUNCTION_H

#include <lilgp.h>

DATATYPE f_add ( int tree, farg *args );
DATATYPE f_subtract ( int tree, farg *args );
DATATYPE f_multiply ( int tree, farg *args );
DATATYPE f_divide ( int tree, farg *args );
DATATYPE f_sin ( int tree, farg *args );
DATATYPE f_cos ( int tree, farg *args );

DATATYPE f_x ( int tree, farg *args );
DATATYPE f_one ( int tree, farg *args );
DATATYPE f_two ( int tree, farg *args );
DATATYPE f_half ( int tree, farg *args );
DATATYPE f_three ( int tree, farg *args );

#endif
