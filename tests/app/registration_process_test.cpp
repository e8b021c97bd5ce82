// Every start of sorvan.exe writes the ".p6k" association into the user's
// classes, with the executable's current short path, and leaves a ".p6k"
// that another type owns alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "tests/support/scratch_dir.h"
#include "tests/app/sorvan_process.h"

namespace {

const std::wstring kMainTitle = L"Tavrel文件加密 7.2 ";
const char kUserClasses[] = "Software\\Classes\\";
const char kMachineClasses[] = "Software\\Classes\\";

// Read and written in the registry's 64-bit view, which 64-bit Explorer reads:
// the only one on 32-bit Windows, and the one the release must reach from
// WOW64.
std::optional<std::string> Read(HKEY hive, const std::string& key, const char* name = nullptr) {
  HKEY opened;
  if (RegOpenKeyExA(hive, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
    return std::nullopt;
  char value[1024];
  DWORD size = sizeof value;
  LONG read = RegGetValueA(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size);
  RegCloseKey(opened);
  if (read != ERROR_SUCCESS) return std::nullopt;
  return std::string(value);
}

void Write(HKEY hive, const std::string& key, const std::string& value) {
  HKEY opened;
  if (RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                      &opened, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(opened);
}

std::string ShortPath(const std::string& path) {
  wchar_t shortPath[MAX_PATH];
  DWORD n = GetShortPathNameW(WideText(path).c_str(), shortPath, MAX_PATH);
  return n > 0 && n < MAX_PATH ? Utf8Text(std::wstring(shortPath, n)) : path;
}

// Starts the program without a file, waits for its window and closes it.
long StartAndClose(const std::string& executable) {
  SorvanProcess process(executable, "");
  HWND main = process.WaitForWindow(kMainTitle);
  if (!main) return -1;
  PostMessageW(main, WM_CLOSE, 0, 0);
  return process.WaitForExit();
}

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\SORVANProgrammer.File");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\.p6k");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.p6k");
  }
};

TEST_F(RegistrationTest, EveryKeyOfTheAssociation) {
  ASSERT_EQ(StartAndClose(SorvanExecutable()), 0);
  const std::string exe = ShortPath(SorvanExecutable());
  const std::string type = std::string(kUserClasses) + "SORVANProgrammer.File";
  struct Case { std::string key; const char* name; std::string value; } cases[] = {
      {type, nullptr, "SORVANProgrammer.File"},
      {type + "\\DefaultIcon", nullptr, exe + ",1"},
      {type + "\\shell\\open\\command", nullptr, exe + " \"%1\""},
      {type + "\\shell\\print\\command", nullptr, exe + " /p \"%1\""},
      {type + "\\shell\\printto\\command", nullptr, exe + " /pt \"%1\" \"%2\" \"%3\" \"%4\""},
      {std::string(kUserClasses) + ".p6k", nullptr, "SORVANProgrammer.File"},
      {std::string(kUserClasses) + ".p6k\\ShellNew", "NullFile", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(HKEY_CURRENT_USER, c.key, c.name), c.value) << c.key;
}

TEST_F(RegistrationTest, AnotherTypesExtensionIsLeftAlone) {
  for (HKEY owner : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    Clean();
    Write(owner, std::string(owner == HKEY_CURRENT_USER ? kUserClasses : kMachineClasses) + ".p6k",
          "Other.File");
    ASSERT_EQ(StartAndClose(SorvanExecutable()), 0);
    EXPECT_EQ(Read(owner, std::string(kUserClasses) + ".p6k"), std::string("Other.File"));
    if (owner == HKEY_LOCAL_MACHINE) {
      EXPECT_EQ(Read(HKEY_CURRENT_USER, std::string(kUserClasses) + ".p6k"), std::nullopt);
    }
    EXPECT_EQ(Read(HKEY_CURRENT_USER, std::string(kUserClasses) + ".p6k\\ShellNew", "NullFile"), std::nullopt);
    // The type's own keys are written all the same.
    EXPECT_EQ(Read(HKEY_CURRENT_USER, std::string(kUserClasses) + "SORVANProgrammer.File"),
              std::string("SORVANProgrammer.File"));
  }
}

TEST_F(RegistrationTest, ASecondStartRewritesTheCommandsForTheNewPlace) {
  ASSERT_EQ(StartAndClose(SorvanExecutable()), 0);
  ScratchDir dir;
  const std::string moved = dir / "moved program.exe";
  ASSERT_TRUE(CopyFileW(WideText(SorvanExecutable()).c_str(), WideText(moved).c_str(), FALSE));
  ASSERT_EQ(StartAndClose(moved), 0);
  std::string shortMoved = ShortPath(moved);
  EXPECT_EQ(shortMoved.find(' '), std::string::npos);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, std::string(kUserClasses) + "SORVANProgrammer.File\\shell\\open\\command"),
            shortMoved + " \"%1\"");
}

}  // namespace
