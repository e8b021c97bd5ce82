#pragma once
#include <string>

#include "cli/path_expansion.h"
#include "crypt/outcome.h"
#include "crypt/run_listener.h"

// The plain words standard error gives for a row that did not succeed, and
// for an argument that gave no row. Standard output keeps its status words.

// Empty for a row that succeeded.
std::string RowReason(RunKind run, const RowResult& result);

std::string LeftOutReason(LeftOut::Why why);

// Whether such an argument makes the run's exit status a failure.
bool LeftOutFails(LeftOut::Why why);
