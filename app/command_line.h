#pragma once
#include <string>
#include <vector>

// The file named on the command line: the first argument after the program's
// name that is not a switch ("-" or "/" first), exactly as it arrived.
// Empty when there is none.
std::string CommandLineFile(const std::vector<std::string>& arguments);
