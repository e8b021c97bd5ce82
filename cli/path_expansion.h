#pragma once
#include <string>
#include <vector>

// One row of a run: a path the engine will open, or one refused beforehand
// (a Windows link, which the engine's open would follow).
struct Row {
  std::string path;
  bool refused = false;
};

// The rows for the paths given, in their order. A folder gives the regular
// files directly inside it, or with recursive every one below it, in byte
// order of the names; sub-folders are entered where their names fall in
// that order. Links are rows (never followed), special files and the runs'
// temporary files are skipped, a path that does not exist is a row.
std::vector<Row> ExpandPaths(const std::vector<std::string>& paths, bool recursive);

// The last part of a path, after its folder.
std::string FileNameOf(const std::string& path);
