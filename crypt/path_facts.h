#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What a path names, for the front ends that turn folders into rows.

// A link is a Link whatever it points at; under Wine a Unix link counts too.
enum class PathKind { Missing, File, Folder, Link, Special };

// The kind of what path names, its last part never followed.
PathKind KindOfPath(const std::string& path);

struct FolderEntry {
  std::string name;  // on Windows a lone surrogate, which no text carries, is "?"
  PathKind kind;     // as the listing tells it; see ListFolder
};

// The entries of a folder, without "." and "..", in the order the system
// lists them; false when the folder cannot be listed. On Windows the kinds
// come from the listing's attributes: a link to a folder is listed as a
// folder, and under Wine a Unix link is not shown at all. Ask KindOfPath
// before entering a folder.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// The same entries in the same order, one at a time: a window lists a
// folder of thousands between its messages.
class FolderReader {
 public:
  explicit FolderReader(const std::string& folder);
  ~FolderReader();
  FolderReader(const FolderReader&) = delete;
  FolderReader& operator=(const FolderReader&) = delete;

  // False when the folder cannot be listed.
  bool IsOpen() const { return m_state != nullptr; }
  // The next entry; false once there are no more.
  bool Next(FolderEntry& entry);

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

// The size of the file path names, its last part never followed; 0 for
// anything else. A share of a run's bytes is shown from these.
std::uint64_t SizeOfPath(const std::string& path);

// True when a 32-bit process on 64-bit Windows would be sent to another
// folder for path (System32 is SysWOW64 to it): every file operation on it
// fails. Always false elsewhere.
bool IsRedirectedSystemPath(const std::string& path);

// True when a name of the path holds the mark of a character no text could
// carry (on Windows "?", which a lone UTF-16 surrogate becomes, and which a
// forbidden character becomes in a listing), so the path names no file as
// written. Always false on POSIX, where names are bytes.
bool NameCannotBeCarried(const std::string& path);

// True when both paths name one and the same existing file.
bool SameFile(const std::string& a, const std::string& b);
