#pragma once
#include <string>

#include "crypt/path_rules.h"

// The name rules of the container: where a path's folder ends, the base name
// and extension of its file name, the container's and the restored name.
struct SplitName {
  std::string directory;  // up to and including the last separator; may be empty
  std::string baseName;   // file name before its last "."
  std::string extension;  // after the last "." without it; empty when there is no "."
  bool hasDot = false;
};

SplitName SplitPath(const std::string& path, const PathRules& rules);

// The base name of path's file name; its extension goes into extension.
// A name without "." has an empty extension (not the whole name again).
std::string SplitFileName(const std::string& path, std::string& extension,
                          const PathRules& rules);

// directory + base name + ".p6k"
std::string ContainerName(const std::string& sourcePath, const PathRules& rules);

// directory + base name + "." + extension; an empty extension gives the base name alone.
std::string RestoredName(const std::string& containerPath, const std::string& extension,
                         const PathRules& rules);

// The last three bytes of the path are "p6k" (case-sensitive, no dot needed).
bool HasContainerSuffix(const std::string& path);
