#include "cli/arguments.h"

const char kUsage[] =
    "Usage:\n"
    "  p6k encrypt [-r] [--password-file FILE] PATH...\n"
    "  p6k decrypt [-r] [--password-file FILE] PATH...\n"
    "  p6k --help | --version\n"
    "\n"
    "Encrypts every file into a .p6k container beside it and removes the original,\n"
    "or restores containers under the names they keep (the base name and at most\n"
    "8 bytes of the extension). A folder stands for the files directly inside it;\n"
    "with -r, for every file below it.\n"
    "\n"
    "The password is the first line of --password-file FILE, else the variable\n"
    "P6K_PASSWORD, else it is asked on the terminal without echo.\n"
    "\n"
    "One line per file on standard output: the status, a tab, the path; on\n"
    "standard error the reason for each file that did not succeed.\n"
    "Exit status: 0 all succeeded, 1 some did not, 2 wrong usage, 130 stopped,\n"
    "141 standard output closed (the rows after the last line written untouched).\n"
    "\n"
    "A .p6k container is not cryptographic protection: there are only 256 keys.\n";

namespace {

ParsedArguments Fail(const std::string& error) {
  ParsedArguments parsed;
  parsed.error = error;
  return parsed;
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& argv) {
  Arguments args;
  const std::size_t argc = argv.size();
  if (argc < 2) return Fail("no command given");
  const std::string& command = argv[1];
  if (command == "--help" || command == "-h") {
    args.action = Arguments::Action::Help;
    return ParsedArguments{args, {}};
  }
  if (command == "--version") {
    args.action = Arguments::Action::Version;
    return ParsedArguments{args, {}};
  }
  if (command == "encrypt")
    args.kind = RunKind::Encrypt;
  else if (command == "decrypt")
    args.kind = RunKind::Decrypt;
  else
    return Fail("unknown command '" + command + "'");

  bool optionsEnded = false;
  for (std::size_t i = 2; i < argc; ++i) {
    const std::string& arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      args.paths.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-r") {
      args.recursive = true;
    } else if (arg == "--help" || arg == "-h") {
      args.action = Arguments::Action::Help;
      return ParsedArguments{args, {}};
    } else if (arg == "--password-file") {
      if (i + 1 >= argc) return Fail("--password-file needs a file");
      args.passwordFile = argv[++i];
    } else if (arg.compare(0, 16, "--password-file=") == 0) {
      args.passwordFile = arg.substr(16);
    } else {
      return Fail("unknown option '" + arg + "'");
    }
  }
  if (args.paths.empty()) return Fail("no files or folders given");
  return ParsedArguments{args, {}};
}
