// Legend labels of a comparison told apart by what differs: the folder names
// of a study (KEY-VALUE parts joined by "_") share leading and trailing parts
// (such as "run_seeding-1"), which a legend need not repeat.
#pragma once

#include <string>
#include <vector>

// The labels without the KEY-VALUE parts all of them share at their
// start and at their end; each label keeps at least one part, and labels
// that would come out alike are returned unchanged.
std::vector<std::string> DistinctParts(const std::vector<std::string>& labels);
