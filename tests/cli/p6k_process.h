#pragma once
#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

// Variables to set for a child; every other one is inherited, except
// P6K_PASSWORD, which a child has only when it is given here.
using Environment = std::map<std::string, std::string>;

struct ProcessResult {
  int exitCode = -1;  // -1: killed by a signal or timed out
  std::string out;
  std::string err;
  std::vector<std::string> OutLines() const;  // without line ends ("\r\n" or "\n")
};

// A child in a session of its own (no controlling terminal), standard
// input from /dev/null, standard output and error into files.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const Environment& env);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Signal(int signal);
  // True once the child has ended (its status is kept for Wait).
  bool Exited();
  // What it has written to standard output so far.
  std::string OutputSoFar() const;
  // The child holds path open (one of its descriptors names it).
  bool HasOpen(const std::string& path) const;
  // Waits for the end, at most ten minutes (a hang); a child still running
  // is killed.
  ProcessResult Wait();

 private:
  pid_t m_pid = -1;
  bool m_exited = false;
  int m_status = 0;
  std::string m_outPath;
  std::string m_errPath;
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const Environment& env);

// build/native/p6k with the arguments given.
ProcessResult P6k(const std::vector<std::string>& args,
                  const Environment& env = {{"P6K_PASSWORD", "pw"}});
std::vector<std::string> P6kCommand(const std::vector<std::string>& args);

// A run on a new pseudo-terminal: each password prompt is answered with the
// next of answers. screen is all the terminal showed.
struct TerminalRun {
  int exitCode = -1;
  std::string screen;
  int prompts = 0;
};
TerminalRun RunOnTerminal(const std::vector<std::string>& args, const Environment& env,
                          const std::vector<std::string>& answers);

// The status texts, as the tool prints them on Linux.
extern const char kSuccess[];
extern const char kFailed[];
extern const char kTooLargeEncrypt[];
extern const char kTooLargeDecrypt[];
extern const char kAlreadyEncrypted[];
extern const char kNotEncrypted[];
extern const char kNameTaken[];

// "<status>\t<path>"
std::string Line(const std::string& status, const std::string& path);
