// p6k: the program's encryption and decryption runs on the command line.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/arguments.h"
#include "crypt/batch_run.h"
#include "cli/console_view.h"
#include "crypt/key.h"
#include "cli/password.h"
#include "crypt/path_facts.h"
#include "cli/path_expansion.h"
#include "cli/reasons.h"
#include "crypt/stop_request.h"
#include "cli/stop_signal.h"
#include "cli/terminal.h"
#ifdef _WIN32
#include "platform/system_library.h"
#endif

namespace {

// The release's version, given by the build from the one number in CMake.
const char kVersion[] = "p6k " SORVAN_VERSION "\n";

enum ExitStatus {
  kAllSucceeded = 0,
  kSomeFailed = 1,
  kWrongUsage = 2,
  kStopped = 130,
  kOutputClosed = 141,  // what a shell reports for a process ended by SIGPIPE
};

int UsageError(const std::string& message) {
  WriteText(stderr, "p6k: " + message + " (see p6k --help)\n");
  return kWrongUsage;
}

int Stopped() {
  std::fprintf(stderr, "p6k: stopped\n");
  return kStopped;
}

// A run never transforms its own password file: it is found by identity,
// however its path is spelled, and left out with a word on standard error.
std::vector<std::string> WithoutPasswordFile(std::vector<std::string> rows,
                                             const std::optional<std::string>& passwordFile) {
  if (!passwordFile) return rows;
  std::vector<std::string> kept;
  for (std::string& row : rows) {
    if (SameFile(row, *passwordFile))
      WriteText(stderr, "p6k: " + row + " is the password file; it is left as it is\n");
    else
      kept.push_back(std::move(row));
  }
  return kept;
}

// A line for every argument that gave no row; true when one of them counts
// as a failure.
bool ReportLeftOut(const std::vector<LeftOut>& leftOut) {
  bool failed = false;
  for (const LeftOut& item : leftOut) {
    WriteText(stderr, "p6k: " + item.path + ": " + LeftOutReason(item.why) + "\n");
    failed = failed || LeftOutFails(item.why);
  }
  return failed;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  system_library::NarrowSearchToSystemFolder();
#endif
  // Standard output on a character device (a console, a terminal, /dev/null)
  // starts unbuffered, and Wine's C runtime then writes a row's line one
  // character at a time, each a request to its server. Fully buffered, each
  // line goes out in one write when ConsoleView flushes it.
  std::setvbuf(stdout, nullptr, _IOFBF, BUFSIZ);
  ParsedArguments parsed = ParseArguments(ProgramArguments(argc, argv));
  if (!parsed.arguments) return UsageError(parsed.error);
  const Arguments& args = *parsed.arguments;
  if (args.action == Arguments::Action::Help) {
    std::fputs(kUsage, stdout);
    return kAllSucceeded;
  }
  if (args.action == Arguments::Action::Version) {
    std::fputs(kVersion, stdout);
    return kAllSucceeded;
  }

  StopRequest stop;
  InstallStopHandlers(stop);
  PasswordReading password = ReadPassword(args.kind, args.passwordFile, stop);
  if (password.stopped) return Stopped();
  if (!password.bytes) return UsageError(password.error);

  Expansion expansion = ExpandPaths(args.paths, args.recursive);
  bool leftOutFailed = ReportLeftOut(expansion.leftOut);
  RunSettings settings;
  settings.rows = WithoutPasswordFile(std::move(expansion.rows), args.passwordFile);
  settings.key = DeriveKey(*password.bytes);
  settings.stop = &stop;
#ifdef P6K_FLUSH_GROUP_FILES
  // The benchmark's build of the tool, with groups of this many files.
  settings.groupFiles = P6K_FLUSH_GROUP_FILES;
#endif
  ConsoleView view(args.kind, static_cast<int>(settings.rows.size()), IsTerminal(stderr), stop);
  RunBatch(args.kind, view, settings);

  if (view.OutputClosed()) return kOutputClosed;
  if (stop.Requested()) return Stopped();
  return view.AllSucceeded() && !leftOutFailed ? kAllSucceeded : kSomeFailed;
}
