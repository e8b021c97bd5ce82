#pragma once
#include "crypt/outcome.h"
#include "crypt/run_listener.h"
#include "crypt/run_settings.h"

// The one door to the batch runs for both front ends: the run of the kind
// over every row, telling the listener what happens.
void RunBatch(RunKind kind, RunListener& listener, const RunSettings& settings);
