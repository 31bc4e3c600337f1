/* Counts the work of a lil-gp run, for scripts/bench-lilgp.sh. Linked into a
 * second build of an app with -Wl,--wrap=function_sets_init and
 * -Wl,--wrap=app_eval_fitness, so the run itself (and its random draws) is
 * the same as the plain build's.
 *
 * lil-gp's evaluator calls a node's code once each time it executes the node
 * (a terminal, a function after its arguments, if-food-ahead before the
 * branch it takes), so the app's functions are called through counting
 * trampolines and the calls made while the kernel has a program evaluated
 * are that program's node executions. At exit, on standard error:
 * evaluations (programs whose fitness was computed: lil-gp keeps the fitness
 * of a copied individual), nodes (node executions) and sizes (the sum of the
 * evaluated programs' sizes). */
#include <lilgp.h>

#define MAX_COUNTED 32

int __real_function_sets_init ( function_set *, int, int *, char **, int );
void __real_app_eval_fitness ( individual * );

static DATATYPE (*original_code[MAX_COUNTED])();
static long long executions, evaluations, sizes;
static int evaluating;

#define TRAMPOLINE(k) \
     static DATATYPE counted_##k ( int tree, farg *args ) \
     { \
          executions += evaluating; \
          return original_code[k] ( tree, args ); \
     }

TRAMPOLINE(0) TRAMPOLINE(1) TRAMPOLINE(2) TRAMPOLINE(3) TRAMPOLINE(4)
TRAMPOLINE(5) TRAMPOLINE(6) TRAMPOLINE(7) TRAMPOLINE(8) TRAMPOLINE(9)
TRAMPOLINE(10) TRAMPOLINE(11) TRAMPOLINE(12) TRAMPOLINE(13) TRAMPOLINE(14)
TRAMPOLINE(15) TRAMPOLINE(16) TRAMPOLINE(17) TRAMPOLINE(18) TRAMPOLINE(19)
TRAMPOLINE(20) TRAMPOLINE(21) TRAMPOLINE(22) TRAMPOLINE(23) TRAMPOLINE(24)
TRAMPOLINE(25) TRAMPOLINE(26) TRAMPOLINE(27) TRAMPOLINE(28) TRAMPOLINE(29)
TRAMPOLINE(30) TRAMPOLINE(31)

static DATATYPE (*const trampoline[MAX_COUNTED])() =
{
     counted_0, counted_1, counted_2, counted_3, counted_4, counted_5,
     counted_6, counted_7, counted_8, counted_9, counted_10, counted_11,
     counted_12, counted_13, counted_14, counted_15, counted_16, counted_17,
     counted_18, counted_19, counted_20, counted_21, counted_22, counted_23,
     counted_24, counted_25, counted_26, counted_27, counted_28, counted_29,
     counted_30, counted_31
};

static void report ( void )
{
     fprintf ( stderr, "evaluations=%lld nodes=%lld sizes=%lld\n",
               evaluations, executions, sizes );
}

int __wrap_function_sets_init ( function_set *sets, int set_count,
                                int *tree_map, char **tree_names,
                                int tree_count )
{
     int s, i, k = 0;

     for ( s = 0; s < set_count; ++s )
          for ( i = 0; i < sets[s].size; ++i )
          {
               /* ADF calls and ERCs have no code of their own. */
               if ( sets[s].cset[i].code == NULL )
                    continue;
               if ( k == MAX_COUNTED )
               {
                    fprintf ( stderr, "count: more than %d functions\n", MAX_COUNTED );
                    exit ( 1 );
               }
               original_code[k] = sets[s].cset[i].code;
               sets[s].cset[i].code = trampoline[k];
               ++k;
          }
     atexit ( report );
     return __real_function_sets_init ( sets, set_count, tree_map, tree_names,
                                        tree_count );
}

void __wrap_app_eval_fitness ( individual *ind )
{
     ++evaluations;
     sizes += tree_nodes ( ind->tr[0].data );
     evaluating = 1;
     __real_app_eval_fitness ( ind );
     evaluating = 0;
}
