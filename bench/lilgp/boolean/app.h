/* The inputs of the fitness case being evaluated, read by the terminals. */
#ifndef APP_H
#define APP_H

#ifdef MULTIPLEXER
#define BOOLEAN_INPUTS 11
#else
#define BOOLEAN_INPUTS 5
#endif
#define BOOLEAN_CASES (1 << BOOLEAN_INPUTS)

extern int boolean_input[BOOLEAN_INPUTS];

#endif
