#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A fresh folder per test, removed with everything in it afterwards.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The folder's path with a trailing separator.
  const std::string& path() const { return m_path; }
  std::string operator/(const std::string& name) const { return m_path + name; }
  // Names in the folder, sorted, without "." and "..".
  std::vector<std::string> Names() const;

 private:
  std::string m_path;
};

extern const char kSeparator[];

#ifdef _WIN32
// A path of the tests (UTF-8, as the program carries paths) as UTF-16.
std::wstring WideText(const std::string& utf8);
// UTF-16 text as the tests' UTF-8.
std::string Utf8Text(const std::wstring& wide);

// A file named in UTF-16: written (false
// when it cannot be), and read back ("<missing>" when it cannot be opened).
bool WriteWideNamed(const std::wstring& path, const std::string& bytes);
std::string ReadWideNamed(const std::wstring& path);
#endif

// A Unix path as Wine's drive Z: shows it.
std::string WinePath(const std::string& unixPath);

// Names in a folder, sorted, without "." and "..".
std::vector<std::string> ListFolder(std::string folder);  // "\\" on Windows, "/" elsewhere

void WriteBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::string& path);
bool PathExists(const std::string& path);
bool MakeFolder(const std::string& path);
// A file of the given length without writing its bytes (sparse where possible).
bool MakeSizedFile(const std::string& path, std::uint64_t length);
// Bumps the file's content so its size and time change.
void AppendByte(const std::string& path);
// Appends bytes to an existing file.
void AppendBytes(const std::string& path, const std::string& bytes);
// A symbolic link at link to target. On Windows the link is made on the Unix
// side under Wine, as a user's `ln -s` would make it; false where that fails.
bool MakeLink(const std::string& target, const std::string& link);
// A file name a Windows program cannot hold but Linux allows (a backslash,
// a trailing dot), made on the Unix side as a user's tools would make it.
// On Windows the file is written first and moved there by /bin/mv.
bool MakeUnixNamedFile(const std::string& folder, const std::string& name,
                       const std::string& bytes);

// A path in dir whose Windows spelling is exactly windowsLength characters:
// folders of 100 characters, made here, then a name without a dot. The path
// is returned in this platform's spelling; nothing is written at it.
std::string PathOfWindowsLength(const ScratchDir& dir, std::size_t windowsLength);

// Deterministic content of a given length.
std::string PatternBytes(std::size_t length, unsigned seed = 1);

#ifdef _WIN32
// A share \\localhost\<name> that stands for a folder of the tests, made as
// Wine keeps its shares: a link in the prefix's dosdevices\unc\localhost.
// Nothing leaves the machine. path() is empty where it cannot be made.
class LocalShare {
 public:
  explicit LocalShare(const std::string& folder);
  ~LocalShare();
  LocalShare(const LocalShare&) = delete;
  LocalShare& operator=(const LocalShare&) = delete;
  // "\\localhost\<name>\", with a trailing separator.
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
  std::string m_link;  // the link, as a Unix path
};
#endif

// Holds a file open without sharing (Windows) so nobody else can open it.
class ExclusiveLock {
 public:
  explicit ExclusiveLock(const std::string& path);
  ~ExclusiveLock();
  bool held() const { return m_held; }

 private:
  std::intptr_t m_handle = 0;
  bool m_held = false;
};
