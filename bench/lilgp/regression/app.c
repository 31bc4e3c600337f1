/* Fitness: the sum of the absolute errors at x = 0, 0.1, ..., 10, the points
 * and target values Morvane2's Regression computes. A sum that is not a
 * number counts as the worst fitness. No run stops early (Morvane2's
 * regression has no solved program). */
#include <lilgp.h>

#define MAX_POINTS 128

double regression_x;

static double point_x[MAX_POINTS];
static double point_target[MAX_POINTS];
static int point_count;

static double target ( double v )
{
     return ( 2.0 - 0.3 * v ) * sin ( 2.0 * v ) * cos ( 3.0 * v ) + 0.01 * ( v * v );
}

int app_build_function_sets ( void )
{
     function_set fset;
     int tree_map = 0;
     char *tree_name = "TREE";
     /* The names are the words of Morvane2's node-set tables. */
     function sets[] =
     {
          { f_add, NULL, NULL, 2, "Plus2", FUNC_DATA, -1, 0 },
          { f_subtract, NULL, NULL, 2, "Subtract", FUNC_DATA, -1, 0 },
          { f_multiply, NULL, NULL, 2, "Times2", FUNC_DATA, -1, 0 },
          { f_divide, NULL, NULL, 2, "divide", FUNC_DATA, -1, 0 },
          { f_sin, NULL, NULL, 1, "Sin", FUNC_DATA, -1, 0 },
          { f_cos, NULL, NULL, 1, "Cos", FUNC_DATA, -1, 0 },
          { f_x, NULL, NULL, 0, "x0", TERM_NORM, -1, 0 },
          { f_one, NULL, NULL, 0, "1.0", TERM_NORM, -1, 0 },
          { f_two, NULL, NULL, 0, "2.0", TERM_NORM, -1, 0 },
          { f_half, NULL, NULL, 0, "0.5", TERM_NORM, -1, 0 },
          { f_three, NULL, NULL, 0, "3.0", TERM_NORM, -1, 0 },
     };

     fset.size = sizeof ( sets ) / sizeof ( sets[0] );
     fset.cset = sets;
     return function_sets_init ( &fset, 1, &tree_map, &tree_name, 1 );
}

void app_eval_fitness ( individual *ind )
{
     int c;
     double total = 0.0;

     set_current_individual ( ind );
     for ( c = 0; c < point_count; ++c )
     {
          regression_x = point_x[c];
          total += fabs ( evaluate_tree ( ind->tr[0].data, 0 ) - point_target[c] );
     }
     if ( total != total )
          total = HUGE_VAL;

     ind->hits = 0;
     ind->r_fitness = total;
     ind->s_fitness = total;
     ind->a_fitness = 1.0 / ( 1.0 + total );
     ind->evald = EVAL_CACHE_VALID;
}

int app_end_of_evaluation ( int gen, multipop *mpop, int newbest,
                            popstats *gen_stats, popstats *run_stats )
{
     return 0;
}

void app_end_of_breeding ( int gen, multipop *mpop )
{
}

int app_create_output_streams ( void )
{
     return 0;
}

int app_initialize ( int startfromcheckpoint )
{
     double x;

     /* repeated addition of 0.1 below 10.05: 101 points, 10.0 the last. */
     point_count = 0;
     for ( x = 0.0; x < 10.05 && point_count < MAX_POINTS; x += 0.1 )
     {
          point_x[point_count] = x;
          point_target[point_count] = target ( x );
          ++point_count;
     }
     return 0;
}

void app_uninitialize ( void )
{
}

void app_write_checkpoint ( FILE *f )
{
}

void app_read_checkpoint ( FILE *f )
{
}
