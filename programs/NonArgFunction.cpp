#include "programs/NonArgFunction.h"

IntNonArgFunction::~IntNonArgFunction() = default;

int IntNonArgFunction::GetValue() { return 0; }

DoubleNonArgFunction::~DoubleNonArgFunction() = default;

double DoubleNonArgFunction::GetValue() { return 0.0; }
