/* The x of the sample point being evaluated, read by the terminal x0. */
#ifndef APP_H
#define APP_H

extern double regression_x;

#endif
