#include "programs/BoolFunction.h"

BoolFunction::~BoolFunction() = default;

int BoolFunction::Calculate(const IntArray&) { return 0; }

int FunctionAnd::Calculate(const IntArray& a) { return Of(a.Data(), a.Size()); }

int FunctionOr::Calculate(const IntArray& a) { return Of(a.Data(), a.Size()); }

int FunctionNand::Calculate(const IntArray& a) { return Of(a.Data(), a.Size()); }

int FunctionNor::Calculate(const IntArray& a) { return Of(a.Data(), a.Size()); }
