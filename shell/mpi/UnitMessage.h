// A unit's result as bytes, for the message a worker process sends to the
// coordinating one, and back. Plain native layout: the processes of one job
// run the same program on machines of one kind.
#pragma once

#include <string>

#include "shell/mpi/RunUnit.h"

std::string EncodeResult(const UnitResult& result);
// False when the bytes end early or hold more than one result.
bool DecodeResult(const std::string& bytes, UnitResult* result);
