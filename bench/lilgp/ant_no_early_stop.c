/* Linked into the builds of lil-gp's ant app with
 * -Wl,--wrap=app_end_of_evaluation: the app still reports the best of the
 * run after each generation, but a run that eats all the food goes on to the
 * last generation, as Morvane2's Santa Fe runs do. */
#include <lilgp.h>

int __real_app_end_of_evaluation ( int, multipop *, int, popstats *, popstats * );

int __wrap_app_end_of_evaluation ( int gen, multipop *mpop, int newbest,
                                   popstats *gen_stats, popstats *run_stats )
{
     __real_app_end_of_evaluation ( gen, mpop, newbest, gen_stats, run_stats );
     return 0;
}
