// The log streams a batch writes, looked up before its first generation so
// that a missing one is reported at once, not after hours of work.
#pragma once

#include <string>
#include <vector>

class Producer;

// log and save always; orbit for robot problems; with two or more runs also
// timer, the four statistics streams and best.
std::vector<std::string> BatchStreamNames(Producer* producer);

// Looks up every stream BatchStreamNames gives; a missing one ends the
// process with the log register's report.
void CheckBatchStreams(Producer* producer);
