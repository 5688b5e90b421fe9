#pragma once

#include "Finding.h"

#include <vector>

class CDryRunResult;

// What a dry run tells, as findings: the error that ended it, the limit that
// stopped it, each command it refused (once a name), and the model rules its
// calls broke. A place in the script itself is given by line; one in a
// sourced file names the file.
namespace RunFindings
{
std::vector<CFinding> From(const CDryRunResult& result);

// A script that repeats one mistake in a loop gets a list it can still read.
constexpr size_t kMaxModelFindings = 1000;
} // namespace RunFindings
