/* Computed as Morvane2 computes them, through the same C library, so that a
 * program has the same value bit for bit. */
#include <lilgp.h>

DATATYPE f_add ( int tree, farg *args ) { return args[0].d + args[1].d; }
DATATYPE f_subtract ( int tree, farg *args ) { return args[0].d - args[1].d; }
DATATYPE f_multiply ( int tree, farg *args ) { return args[0].d * args[1].d; }

/* 1 for a divisor closer to 0 than 1e-10. */
DATATYPE f_divide ( int tree, farg *args )
{
     if ( fabs ( args[1].d ) < 1e-10 )
          return 1.0;
     return args[0].d / args[1].d;
}

DATATYPE f_sin ( int tree, farg *args ) { return sin ( args[0].d ); }
DATATYPE f_cos ( int tree, farg *args ) { return cos ( args[0].d ); }

DATATYPE f_x ( int tree, farg *args ) { return regression_x; }
DATATYPE f_one ( int tree, farg *args ) { return 1.0; }
DATATYPE f_two ( int tree, farg *args ) { return 2.0; }
DATATYPE f_half ( int tree, farg *args ) { return 0.5; }
DATATYPE f_three ( int tree, farg *args ) { return 3.0; }
