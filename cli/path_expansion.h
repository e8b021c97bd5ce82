#pragma once
#include <string>
#include <vector>

// An argument that gave no row, and why.
struct LeftOut {
  enum class Why {
    Special,      // a device, pipe or socket
    Temporary,    // a run's own temporary file
    EmptyFolder,  // a folder without files
    EmptyTree,    // with recursive: no file in it or below it
  };
  std::string path;
  Why why;
};

struct Expansion {
  std::vector<std::string> rows;
  std::vector<LeftOut> leftOut;  // in the order of the arguments
};

// The rows for the paths given, in their order: one path per row. A folder
// gives its rows by CommandLineFolderRules (folder_expansion.h): the regular
// files directly inside it, or with recursive every one below it, in byte
// order of the names. Links are rows that the engine refuses, never
// followed; special files and the runs' temporary files are left out; a path
// that does not exist is a row, which fails.
Expansion ExpandPaths(const std::vector<std::string>& paths, bool recursive);

// The last part of a path, after its folder.
std::string FileNameOf(const std::string& path);
