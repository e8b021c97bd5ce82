#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "tests/cli/p6k_process.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

using Files = std::map<std::string, std::string>;

std::string Sealed(const std::string& plain, const std::string& ext, const std::string& pw = "pw") {
  return ContainerFromLayout(plain, ext, DeriveKey(pw));
}

Files FilesIn(const ScratchDir& dir) {
  Files files;
  for (auto& name : dir.Names()) files[name] = ReadBytes(dir / name).value_or("<unreadable>");
  return files;
}

// Every status line, its reason on standard error and the exit code, with
// the files each row leaves behind.
TEST(StatusLines, EachRowOutcomeAndTheExitStatus) {
  struct Case {
    const char* what;
    const char* command;
    Files before;
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> lines;  // status, name
    int exitCode;
    Files after;
    std::vector<std::pair<std::string, std::string>> reasons;  // name, words on standard error
  } cases[] = {
      {"encrypts", "encrypt", {{"a.txt", "hello"}}, {"a.txt"},
       {{kSuccess, "a.p6k"}}, 0, {{"a.p6k", Sealed("hello", "txt")}}},
      {"name ends in p6k", "encrypt", {{"x.p6k", "data"}}, {"x.p6k"},
       {{kAlreadyEncrypted, "x.p6k"}}, 1, {{"x.p6k", "data"}},
       {{"x.p6k", "its name already ends in p6k, so it is taken for a container"}}},
      {"renamed container", "encrypt", {{"y.dat", Sealed("data", "txt")}}, {"y.dat"},
       {{kAlreadyEncrypted, "y.dat"}}, 1, {{"y.dat", Sealed("data", "txt")}},
       {{"y.dat", "already a container made with this password"}}},
      {"container name taken", "encrypt", {{"a.txt", "hello"}, {"a.p6k", "other"}}, {"a.txt"},
       {{kNameTaken, "a.txt"}}, 1, {{"a.txt", "hello"}, {"a.p6k", "other"}},
       {{"a.txt", "the container's name exists already (another file of this base name?); "
                  "nothing was replaced"}}},
      {"missing path", "encrypt", {}, {"missing.txt"}, {{kFailed, "missing.txt"}}, 1, {},
       {{"missing.txt", "no such file"}}},
      {"one of two fails", "encrypt", {{"a.txt", "hello"}}, {"missing.txt", "a.txt"},
       {{kFailed, "missing.txt"}, {kSuccess, "a.p6k"}}, 1, {{"a.p6k", Sealed("hello", "txt")}},
       {{"missing.txt", "no such file"}}},
      {"decrypts", "decrypt", {{"a.p6k", Sealed("hello", "txt")}}, {"a.p6k"},
       {{kSuccess, "a.txt"}}, 0, {{"a.txt", "hello"}}},
      {"empty container", "decrypt", {{"e.p6k", Sealed("", "txt")}}, {"e.p6k"},
       {{kSuccess, "e.txt"}}, 0, {{"e.txt", ""}}},
      {"wrong password", "decrypt", {{"a.p6k", Sealed("hello", "txt", "other")}}, {"a.p6k"},
       {{kFailed, "a.p6k"}}, 1, {{"a.p6k", Sealed("hello", "txt", "other")}},
       {{"a.p6k", "wrong password, or not a container"}}},
      {"not a container name", "decrypt", {{"a.txt", "hello"}}, {"a.txt"},
       {{kNotEncrypted, "a.txt"}}, 1, {{"a.txt", "hello"}},
       {{"a.txt", "not a container: its name does not end in p6k"}}},
      {"upper-case suffix", "decrypt", {{"A.P6K", Sealed("hello", "txt")}}, {"A.P6K"},
       {{kNotEncrypted, "A.P6K"}}, 1, {{"A.P6K", Sealed("hello", "txt")}},
       {{"A.P6K", "not a container: its name does not end in p6k"}}},
      {"restored name taken", "decrypt", {{"a.p6k", Sealed("hello", "txt")}, {"a.txt", "keep"}},
       {"a.p6k"}, {{kNameTaken, "a.p6k"}}, 1, {{"a.p6k", Sealed("hello", "txt")}, {"a.txt", "keep"}},
       {{"a.p6k", "the restored name exists already; nothing was replaced"}}},
      {"ordinary file named p6k", "decrypt", {{"fake.p6k", "just some text here, long"}},
       {"fake.p6k"}, {{kFailed, "fake.p6k"}}, 1, {{"fake.p6k", "just some text here, long"}},
       {{"fake.p6k", "wrong password, or not a container"}}},
      {"shorter than a trailer", "decrypt", {{"s.p6k", "abc"}}, {"s.p6k"},
       {{kFailed, "s.p6k"}}, 1, {{"s.p6k", "abc"}}, {{"s.p6k", "wrong password, or not a container"}}},
  };
  ASSERT_NE(DeriveKey("pw"), DeriveKey("other"));
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    for (auto& [name, content] : c.before) WriteBytes(dir / name, content);
    std::vector<std::string> args{c.command};
    for (auto& a : c.args) args.push_back(dir / a);
    std::vector<std::string> expected;
    for (auto& [status, name] : c.lines) expected.push_back(Line(status, dir / name));

    ProcessResult r = P6k(args);
    EXPECT_EQ(r.OutLines(), expected);
    EXPECT_EQ(r.exitCode, c.exitCode);
    std::string err;
    for (auto& [name, words] : c.reasons) err += "p6k: " + (dir / name) + ": " + words + "\n";
    EXPECT_EQ(r.err, err);
    EXPECT_EQ(FilesIn(dir), c.after);
  }
}

TEST(StatusLines, SizeLimitInEitherDirection) {
  // One limit on the data: a container may be longer by its 21-byte trailer.
  struct Case { const char* command; const char* name; std::uint64_t size; const char* status; } cases[] = {
      {"encrypt", "big.bin", 0x42000001ull, kTooLargeEncrypt},
      {"decrypt", "big.p6k", 0x42000001ull + 21, kTooLargeDecrypt},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.command);
    ScratchDir dir;
    ASSERT_TRUE(MakeSizedFile(dir / c.name, c.size));  // sparse: nothing is written
    ProcessResult r = P6k({c.command, dir / c.name});
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{Line(c.status, dir / c.name)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{c.name});
  }
}

// With the password 密码 the tool on Linux writes the very bytes the Windows
// program writes: password and extension as code page 936 bytes.
TEST(StatusLines, ContainerBytesMatchTheWindowsProgram) {
  const std::string passwordCp936 = "\xC3\xDC\xC2\xEB";
  const std::string extensionCp936 = "\xCE\xC4\xB5\xB5";
  ASSERT_NE(DeriveKey(passwordCp936), DeriveKey("密码"));  // so the conversion shows
  ScratchDir dir;
  const std::string plain = PatternBytes(70000);
  WriteBytes(dir / "报告.文档", plain);
  ProcessResult r = P6k({"encrypt", dir / "报告.文档"}, {{"P6K_PASSWORD", "密码"}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.OutLines(), std::vector<std::string>{Line(kSuccess, dir / "报告.p6k")});
  EXPECT_EQ(ReadBytes(dir / "报告.p6k"),
            ContainerFromLayout(plain, extensionCp936, DeriveKey(passwordCp936)));
}

}  // namespace
