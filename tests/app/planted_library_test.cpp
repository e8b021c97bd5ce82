// A portable copy of the program unpacked beside libraries that carry the
// names of the system libraries it loads at run time (the web panel's host,
// the network probe) must not load them. Wine prefers its own built-in
// libraries, which would hide the fault, so the copy runs with Windows'
// order for those names: a library in the program's folder first.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/app/sorvan_process.h"
#include "tests/support/scratch_dir.h"

namespace {

const std::wstring kMainTitle = L"Tavrel文件加密 7.2 ";
const char* const kPlantedNames[] = {"atl.dll", "sensapi.dll"};

// Wine's per-program load order for sorvan.exe, for the test's length: a
// library of those names from the program's folder first, as Windows looks
// for it. (Wine reads WINEDLLOVERRIDES from the environment it was started
// with, not from a child's; the registry reaches every start.)
class WindowsLoadOrder {
 public:
  WindowsLoadOrder() {
    for (const char* name : {"atl", "sensapi"})
      RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name, REG_SZ, "native,builtin", 15);
  }
  ~WindowsLoadOrder() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\sorvan.exe"); }

 private:
  static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\sorvan.exe\\DllOverrides";
};

TEST(PlantedLibrary, BesideTheProgramIsNeverLoaded) {
  ScratchDir dir;
  const std::string program = dir / "sorvan.exe";
  ASSERT_TRUE(CopyFileW(WideText(SorvanExecutable()).c_str(), WideText(program).c_str(), FALSE));
  for (const char* name : kPlantedNames)
    ASSERT_TRUE(CopyFileW(WideText(WinePath(PLANTED_LIBRARY)).c_str(), WideText(dir / name).c_str(), FALSE)) << name;

  {
    WindowsLoadOrder order;
    SorvanProcess process(program, "");
    HWND main = process.WaitForWindow(kMainTitle);
    ASSERT_NE(main, nullptr);
    // The web panel is made, and the network probed, while the window opens.
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(process.WaitForExit(), 0);
  }
  for (const char* name : kPlantedNames)
    EXPECT_FALSE(PathExists(dir / (std::string(name) + ".loaded"))) << name << " was loaded";
  // The copy registered ".p6k" for itself; the next start of the real one
  // takes it back, but the scratch folder goes now.
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\SORVANProgrammer.File");
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\.p6k");
}

}  // namespace
