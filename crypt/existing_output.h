#pragma once
#include "crypt/file_system.h"
#include "crypt/outcome.h"
#include "crypt/output_writer.h"

// Whether the file under an output's final name is, byte for byte, the
// output the job would write there: its length, its tail and its data, never
// its size or time alone. A run killed between its move and the removal of
// its source leaves such a pair. AlreadyInPlace when it is; NameTaken when it
// is anything else or cannot be read through; Stopped when the stop request
// came first. Reads through one bounded buffer and changes nothing.
Outcome CompareWithExisting(FileSystem& fs, const OutputJob& job);
