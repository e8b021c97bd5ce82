#pragma once
#include <string>
#include <vector>

// The rows for the paths given, in their order: one path per row. A folder
// gives its rows by CommandLineFolderRules (folder_expansion.h): the regular
// files directly inside it, or with recursive every one below it, in byte
// order of the names. Links are rows that the engine refuses, never
// followed; special files and the runs' temporary files are skipped; a path
// that does not exist is a row.
std::vector<std::string> ExpandPaths(const std::vector<std::string>& paths, bool recursive);

// The last part of a path, after its folder.
std::string FileNameOf(const std::string& path);
