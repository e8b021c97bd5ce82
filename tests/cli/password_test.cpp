#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <optional>
#include <thread>

#include "tests/cli/p6k_process.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kPlain = "the file's content";

// Which key the container was made with, among the candidates.
std::string KeyUsed(const ScratchDir& dir, const std::vector<std::string>& candidates) {
  std::optional<std::string> container = ReadBytes(dir / "a.p6k");
  if (!container) return "<no container>";
  for (auto& pw : candidates)
    if (*container == ContainerFromLayout(kPlain, "txt", DeriveKey(pw))) return pw;
  return "<another key>";
}

// The file first, then the variable; the file's first line without its end.
TEST(PasswordSources, FileBeforeVariable) {
  struct Case {
    const char* what;
    std::optional<std::string> file;      // the password file's content
    std::optional<std::string> variable;  // P6K_PASSWORD
    std::string used;
  } cases[] = {
      {"file over variable", "from-file\n", "from-env", "from-file"},
      {"first line only, CRLF", "first\r\nsecond\n", std::nullopt, "first"},
      {"no line end", "no-newline", "from-env", "no-newline"},
      {"variable", std::nullopt, "from-env", "from-env"},
  };
  const std::vector<std::string> candidates{"from-file", "first", "no-newline", "from-env",
                                            "first\r", "from-file\n"};
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    WriteBytes(dir / "a.txt", kPlain);
    std::vector<std::string> args{"encrypt", dir / "a.txt"};
    if (c.file) {
      WriteBytes(dir / "pw.txt", *c.file);
      args = {"encrypt", "--password-file", dir / "pw.txt", dir / "a.txt"};
    }
    Environment env;
    if (c.variable) env["P6K_PASSWORD"] = *c.variable;
    ProcessResult r = P6k(args, env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(KeyUsed(dir, candidates), c.used);
  }
}

TEST(PasswordSources, AskedOnTheTerminalWithoutEcho) {
  const std::string secret = "s3cret-Word";
  struct Case {
    const char* what;
    const char* command;
    const char* file;  // in the folder beforehand
    Environment env;
    std::vector<std::string> answers;
    int prompts;
    int exitCode;
    Lines names;  // the folder afterwards
  } cases[] = {
      {"encrypt asks twice", "encrypt", "a.txt", {}, {secret, secret}, 2, 0, {"a.p6k"}},
      {"the two differ", "encrypt", "a.txt", {}, {secret, "other"}, 2, 2, {"a.txt"}},
      {"decrypt asks once", "decrypt", "a.p6k", {}, {secret}, 1, 0, {"a.txt"}},
      {"empty", "decrypt", "a.p6k", {}, {""}, 1, 2, {"a.p6k"}},
      {"variable first", "encrypt", "a.txt", {{"P6K_PASSWORD", secret}}, {}, 0, 0, {"a.p6k"}},
      {"Ctrl-C at the prompt", "encrypt", "a.txt", {}, {"\x03"}, 1, 130, {"a.txt"}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    WriteBytes(dir / c.file, std::string(c.file) == "a.p6k"
                                 ? ContainerFromLayout(kPlain, "txt", DeriveKey(secret))
                                 : kPlain);
    TerminalRun run = RunOnTerminal({c.command, dir / c.file}, c.env, c.answers);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.screen;
    EXPECT_EQ(run.prompts, c.prompts) << run.screen;
    EXPECT_EQ(run.screen.find(secret), std::string::npos) << "echoed: " << run.screen;
    EXPECT_EQ(dir.Names(), c.names);
    if (c.exitCode != 0) continue;
    if (std::string(c.command) == "encrypt") {
      EXPECT_EQ(KeyUsed(dir, {secret}), secret);
    } else {
      EXPECT_EQ(ReadBytes(dir / "a.txt"), kPlain);
    }
  }
}

TEST(PasswordSources, TypedChineseIsTakenAsCodePage936) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", kPlain);
  TerminalRun run = RunOnTerminal({"encrypt", dir / "a.txt"}, {}, {"密码", "密码"});
  EXPECT_EQ(run.exitCode, 0) << run.screen;
  EXPECT_EQ(ReadBytes(dir / "a.p6k"), ContainerFromLayout(kPlain, "txt", DeriveKey("\xC3\xDC\xC2\xEB")));
}

// The password file's first line is UTF-8, with or without a byte-order mark,
// as editors save it: the key is that of the same password typed into the
// window, its code page 936 bytes. A line that is not UTF-8 is refused here
// (Windows takes it as the code page's bytes).
TEST(PasswordSources, PasswordFileIsUtf8) {
  const std::string cp936 = "\xC3\xDC\xC2\xEB";  // 密码 as the window keys it
  struct Case { const char* what; std::string line; int exitCode; } cases[] = {
      {"UTF-8", "密码\n", 0},
      {"with a byte-order mark", "\xEF\xBB\xBF密码\r\n", 0},
      {"code page 936 bytes", cp936 + "\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir, keys;
    WriteBytes(dir / "a.txt", kPlain);
    WriteBytes(keys / "pw.txt", c.line);
    ProcessResult r = P6k({"encrypt", "--password-file", keys / "pw.txt", dir / "a.txt"}, {});
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    if (c.exitCode == 0) {
      EXPECT_EQ(ReadBytes(dir / "a.p6k"), ContainerFromLayout(kPlain, "txt", DeriveKey(cp936)));
    } else {
      EXPECT_NE(r.err.find("not UTF-8"), std::string::npos) << r.err;
      EXPECT_EQ(dir.Names(), Lines{"a.txt"});
    }
  }
}

// A run never transforms its own password file, however its path is spelled.
TEST(PasswordSources, ThePasswordFileIsNeverARow) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", kPlain);
  WriteBytes(dir / "pw.txt", "secret\n");
  ProcessResult r = P6k({"encrypt", "--password-file", dir.path() + "./pw.txt", dir.path()}, {});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.OutLines(), Lines{Line(kSuccess, dir / "a.p6k")});
  EXPECT_NE(r.err.find(dir / "pw.txt"), std::string::npos) << r.err;
  EXPECT_EQ(dir.Names(), (Lines{"a.p6k", "pw.txt"}));
  EXPECT_EQ(ReadBytes(dir / "pw.txt"), "secret\n");
}

// Ctrl-C while the tool waits for a writer of a FIFO given as the password
// file stops it like Ctrl-C at the prompt.
TEST(PasswordSources, CtrlCWhileAFifoIsReadExits130) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", kPlain);
  ASSERT_EQ(mkfifo((dir / "pw.fifo").c_str(), 0600), 0);
  ChildProcess child(P6kCommand({"encrypt", "--password-file", dir / "pw.fifo", dir / "a.txt"}), {});
  // Sent once the tool has opened the FIFO, that is, while it waits on it.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!child.HasOpen(dir / "pw.fifo") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  child.Signal(SIGINT);
  ProcessResult r = child.Wait();
  EXPECT_EQ(r.exitCode, 130) << r.err;
  EXPECT_EQ(dir.Names(), (Lines{"a.txt", "pw.fifo"}));
}

// Wrong usage: exit status 2, one line on standard error, nothing on
// standard output, and no file touched.
TEST(UsageErrors, OneLineAndExitTwo) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", kPlain);
  WriteBytes(dir / "empty-pw", "");
  WriteBytes(dir / "blank-line-pw", "\nsecond\n");
  const std::string file = dir / "a.txt";
  const Environment pw{{"P6K_PASSWORD", "pw"}};
  struct Case { const char* what; std::vector<std::string> args; Environment env; } cases[] = {
      {"nothing", {}, pw},
      {"unknown command", {"scramble", file}, pw},
      {"no paths", {"encrypt"}, pw},
      {"no paths after options", {"decrypt", "-r"}, pw},
      {"unknown option", {"encrypt", "--bogus", file}, pw},
      {"no password option", {"encrypt", "--password", "pw", file}, pw},
      {"password file missing its name", {"encrypt", file, "--password-file"}, pw},
      {"password file absent", {"encrypt", "--password-file", dir / "none", file}, pw},
      {"password file empty", {"encrypt", "--password-file", dir / "empty-pw", file}, pw},
      {"password file's first line empty", {"encrypt", "--password-file", dir / "blank-line-pw", file}, pw},
      {"variable empty", {"encrypt", file}, {{"P6K_PASSWORD", ""}}},
      {"no password and no terminal", {"encrypt", file}, {}},
      {"not in code page 936", {"encrypt", file}, {{"P6K_PASSWORD", "\xF0\x9F\x94\x91"}}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProcessResult r = P6k(c.args, c.env);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.compare(0, 5, "p6k: "), 0) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_EQ(dir.Names(), (Lines{"a.txt", "blank-line-pw", "empty-pw"}));
  }
}

TEST(UsageErrors, HelpAndVersion) {
  struct Case { std::vector<std::string> args; const char* starts; } cases[] = {
      {{"--help"}, "Usage:"}, {{"-h"}, "Usage:"}, {{"encrypt", "--help"}, "Usage:"},
      {{"--version"}, "p6k "},
  };
  for (auto& c : cases) {
    ProcessResult r = P6k(c.args, {});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.compare(0, std::string(c.starts).size(), c.starts), 0) << r.out;
  }
}

}  // namespace
