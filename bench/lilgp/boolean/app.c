/* Fitness: the number of the 2^n input cases a program answers wrongly,
 * every case evaluated, as Morvane2's Parity and Multiplexer count it. A run
 * stops after the generation in which a program answers every case, as
 * Morvane2's does. */
#include <lilgp.h>

int boolean_input[BOOLEAN_INPUTS];

/* Every case's inputs (bit i of the case number is input i) and answer. */
static int case_input[BOOLEAN_CASES][BOOLEAN_INPUTS];
static int case_answer[BOOLEAN_CASES];

static int right_answer ( const int *input )
{
#ifdef MULTIPLEXER
     /* three address bits select one of the eight data bits after them. */
     int address = input[0] + 2 * input[1] + 4 * input[2];
     return input[3 + address];
#else
     /* even parity: 1 when the number of ones is even. */
     int i, ones = 0;
     for ( i = 0; i < BOOLEAN_INPUTS; ++i )
          ones += input[i];
     return ( ones + 1 ) % 2;
#endif
}

int app_build_function_sets ( void )
{
     function_set fset;
     int tree_map = 0;
     char *tree_name = "TREE";
     /* The names are the words of Morvane2's node-set tables. */
     function sets[] =
     {
#ifdef MULTIPLEXER
          { f_and, NULL, NULL, 2, "and2", FUNC_DATA, -1, 0 },
          { f_or, NULL, NULL, 2, "or2", FUNC_DATA, -1, 0 },
          { f_not, NULL, NULL, 1, "not", FUNC_DATA, -1, 0 },
          { f_if, NULL, NULL, 3, "if", FUNC_DATA, -1, 0 },
#else
          { f_and, NULL, NULL, 2, "and2", FUNC_DATA, -1, 0 },
          { f_or, NULL, NULL, 2, "or2", FUNC_DATA, -1, 0 },
          { f_nand, NULL, NULL, 2, "nand2", FUNC_DATA, -1, 0 },
          { f_nor, NULL, NULL, 2, "nor2", FUNC_DATA, -1, 0 },
          { f_not, NULL, NULL, 1, "not", FUNC_DATA, -1, 0 },
#endif
          { f_b0, NULL, NULL, 0, "b0", TERM_NORM, -1, 0 },
          { f_b1, NULL, NULL, 0, "b1", TERM_NORM, -1, 0 },
          { f_b2, NULL, NULL, 0, "b2", TERM_NORM, -1, 0 },
          { f_b3, NULL, NULL, 0, "b3", TERM_NORM, -1, 0 },
          { f_b4, NULL, NULL, 0, "b4", TERM_NORM, -1, 0 },
#ifdef MULTIPLEXER
          { f_b5, NULL, NULL, 0, "b5", TERM_NORM, -1, 0 },
          { f_b6, NULL, NULL, 0, "b6", TERM_NORM, -1, 0 },
          { f_b7, NULL, NULL, 0, "b7", TERM_NORM, -1, 0 },
          { f_b8, NULL, NULL, 0, "b8", TERM_NORM, -1, 0 },
          { f_b9, NULL, NULL, 0, "b9", TERM_NORM, -1, 0 },
          { f_b10, NULL, NULL, 0, "b10", TERM_NORM, -1, 0 },
#endif
     };

     fset.size = sizeof ( sets ) / sizeof ( sets[0] );
     fset.cset = sets;
     return function_sets_init ( &fset, 1, &tree_map, &tree_name, 1 );
}

void app_eval_fitness ( individual *ind )
{
     int c;
     int errors = 0;

     set_current_individual ( ind );
     for ( c = 0; c < BOOLEAN_CASES; ++c )
     {
          memcpy ( boolean_input, case_input[c], sizeof ( boolean_input ) );
          if ( evaluate_tree ( ind->tr[0].data, 0 ) != case_answer[c] )
               ++errors;
     }

     ind->hits = BOOLEAN_CASES - errors;
     ind->r_fitness = errors;
     ind->s_fitness = errors;
     ind->a_fitness = 1.0 / ( 1.0 + errors );
     ind->evald = EVAL_CACHE_VALID;
}

int app_end_of_evaluation ( int gen, multipop *mpop, int newbest,
                            popstats *gen_stats, popstats *run_stats )
{
     return run_stats[0].best[0]->ind->hits == BOOLEAN_CASES;
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
     int c, i;

     for ( c = 0; c < BOOLEAN_CASES; ++c )
     {
          for ( i = 0; i < BOOLEAN_INPUTS; ++i )
               case_input[c][i] = ( c >> i ) & 1;
          case_answer[c] = right_answer ( case_input[c] );
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
