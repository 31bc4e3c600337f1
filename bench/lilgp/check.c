/* Evaluates given programs with an app's fitness function instead of making
 * a run, so that scripts/bench-lilgp.sh can compare the fitness with
 * Morvane2's for the same programs. Linked into a third build of an app with
 * -Wl,--wrap=app_initialize: once the app is initialised, reads programs from
 * standard input, one a line, written as names and bracketed arguments
 * ("or2(and2(b0,b1),b2)", the names of the app's function set), prints each
 * one's standardized fitness as a line "fitness %.17g" (lil-gp writes its
 * banner on standard output too) and exits. */
#include <lilgp.h>

#define MAX_PROGRAM_NODES 4096
#define MAX_LINE 65536

int __real_app_initialize ( int );

static lnode program[MAX_PROGRAM_NODES];
static int program_used, program_nodes;

static void refuse ( const char *what, const char *at )
{
     fprintf ( stderr, "check: %s at \"%.40s\"\n", what, at );
     exit ( 1 );
}

static function *find_function ( const char *name, int length )
{
     int i;

     for ( i = 0; i < fset[0].size; ++i )
          if ( (int)strlen ( fset[0].cset[i].string ) == length &&
               strncmp ( fset[0].cset[i].string, name, length ) == 0 )
               return fset[0].cset + i;
     return NULL;
}

/* Appends the subtree written at *text to program, in lil-gp's prefix form:
 * each argument of an EXPR function preceded by its size in lnodes. */
static void parse_tree ( const char **text )
{
     const char *name = *text;
     int length = strcspn ( name, "(),\n" );
     function *f = find_function ( name, length );
     int i, skip = -1;

     if ( f == NULL )
          refuse ( "unknown name", name );
     if ( f->type != FUNC_DATA && f->type != FUNC_EXPR && f->type != TERM_NORM )
          refuse ( "not an ordinary function or terminal", name );
     if ( program_used + 2 > MAX_PROGRAM_NODES )
          refuse ( "program too large", name );
     program[program_used++].f = f;
     ++program_nodes;
     *text += length;
     for ( i = 0; i < f->arity; ++i )
     {
          if ( **text != ( i == 0 ? '(' : ',' ) )
               refuse ( "arguments missing", name );
          ++*text;
          if ( f->type == FUNC_EXPR )
               skip = program_used++;
          parse_tree ( text );
          if ( skip >= 0 )
               program[skip].s = program_used - skip - 1;
     }
     if ( f->arity > 0 )
     {
          if ( **text != ')' )
               refuse ( "too many arguments", name );
          ++*text;
     }
}

int __wrap_app_initialize ( int startfromcheckpoint )
{
     static char line[MAX_LINE];
     individual ind;
     tree tr;
     const char *text;
     int ret = __real_app_initialize ( startfromcheckpoint );

     if ( ret )
          return ret;
     while ( fgets ( line, sizeof ( line ), stdin ) != NULL )
     {
          if ( line[0] == '\n' || line[0] == 0 )
               continue;
          program_used = program_nodes = 0;
          text = line;
          parse_tree ( &text );
          if ( *text != '\n' && *text != 0 )
               refuse ( "text after the program", text );
          tr.data = program;
          tr.size = program_used;
          tr.nodes = program_nodes;
          ind.tr = &tr;
          ind.evald = EVAL_CACHE_INVALID;
          ind.flags = FLAG_NONE;
          app_eval_fitness ( &ind );
          printf ( "fitness %.17g\n", ind.s_fitness );
     }
     exit ( 0 );
}
