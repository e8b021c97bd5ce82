#pragma once
#include <string>
#include <vector>

// File names as people give them, in UTF-8, with what masking makes of each:
// the container's name and the extension field's bytes (code page 936), or
// no container when the code page cannot hold the extension. Every front
// end must treat each alike.
struct NameCase {
  std::string name;
  std::string container;  // empty: refused, the file stays as it was
  std::string field;      // the extension as the container keeps it
};

inline const std::vector<NameCase>& NameTable() {
  static const std::vector<NameCase> table = {
      {"\xE7\x85\xA7\xE7\x89\x87\xF0\x9F\x98\x80.jpg", "\xE7\x85\xA7\xE7\x89\x87\xF0\x9F\x98\x80.p6k",
       "jpg"},                                                         // 照片😀.jpg
      {"\xF0\x9F\x8C\x8A", "\xF0\x9F\x8C\x8A.p6k", ""},                // 🌊, no extension
      {"\xED\x95\x9C\xEA\xB8\x80.txt", "\xED\x95\x9C\xEA\xB8\x80.p6k", "txt"},  // 한글.txt
      {"na\xC3\xAFve.txt", "na\xC3\xAFve.p6k", "txt"},                 // naïve.txt
      {"a\xC3\xA7\xC3\xA3o.txt", "a\xC3\xA7\xC3\xA3o.p6k", "txt"},     // ação.txt
      {"\xE2\x84\xA2mark.txt", "\xE2\x84\xA2mark.p6k", "txt"},         // ™mark.txt
      // 乗 is 0x81 0x5C and 億 0x83 0x7C in code page 936: second bytes "\" and "|".
      {"\xE4\xB9\x97\xE5\x84\x84.txt", "\xE4\xB9\x97\xE5\x84\x84.p6k", "txt"},
      {"doc.\xE4\xB9\x97\xE5\x84\x84", "doc.p6k", "\x81\x5C\x83\x7C"},
      {"\xE6\x8A\xA5\xE5\x91\x8A.\xE6\x96\x87\xE6\xA1\xA3", "\xE6\x8A\xA5\xE5\x91\x8A.p6k",
       "\xCE\xC4\xB5\xB5"},                                            // 报告.文档
      {"smile.\xF0\x9F\x98\x80", "", ""},                              // smile.😀: refused
  };
  return table;
}

// The content each name's file holds in the tests: its own name, so a file
// restored under another name shows.
inline std::string ContentOf(const NameCase& c) { return "content of " + c.name; }
