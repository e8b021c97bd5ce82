// The release's one version, as a Windows user meets it: in the installed
// programs' properties (their version resources) and from `p6k --version`.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/packaging/installation.h"
#include "tests/support/scratch_dir.h"

namespace {

const std::wstring kVersion = WideText(SORVAN_VERSION);

// What a console program writes on standard output before it ends.
std::string OutputOf(std::wstring commandLine) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return std::string();
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = write;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  bool started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &startup, &process);
  CloseHandle(write);
  std::string output;
  char buffer[512];
  DWORD n = 0;
  while (started && ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n > 0) output.append(buffer, n);
  CloseHandle(read);
  if (started) {
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  return output;
}

class VersionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RunToEnd(L"\"" + SetupProgram() + L"\" /S");
  }
  static void TearDownTestSuite() {
    if (auto uninstall = ReadString(HKEY_CURRENT_USER, kUninstallKey, L"UninstallString"))
      RunToEnd(*uninstall + L" /S");
  }
};

TEST_F(VersionTest, EveryProgramsPropertiesNameTheRelease) {
  struct Program { std::wstring file, description; } programs[] = {
      {DefaultInstallFolder() + L"\\sorvan.exe", L"Tavrel文件加密"},
      {DefaultInstallFolder() + L"\\p6k.exe", L"Tavrel文件加密 命令行工具 p6k"},
      {SetupProgram(), L"Tavrel文件加密 安装程序"},
  };
  for (const Program& p : programs) {
    SCOPED_TRACE(Utf8(p.file));
    std::wstring name = p.file.substr(p.file.rfind(L'\\') + 1);
    struct Field { const wchar_t* name; std::wstring expected; } fields[] = {
        {L"CompanyName", L"塔维尔"},
        {L"FileDescription", p.description},
        {L"FileVersion", kVersion},
        {L"ProductName", L"Tavrel文件加密"},
        {L"ProductVersion", kVersion},
        {L"LegalCopyright", L"© 2026 塔维尔"},
        {L"OriginalFilename", name},
    };
    for (const Field& f : fields) {
      // The installer names no original file.
      if (p.file == SetupProgram() && std::wstring(f.name) == L"OriginalFilename") continue;
      EXPECT_EQ(VersionString(p.file, f.name), f.expected) << Utf8(f.name);
    }
  }
}

TEST_F(VersionTest, FixedVersionNumbersMatch) {
  for (const wchar_t* name : {L"sorvan.exe", L"p6k.exe"}) {
    std::wstring file = DefaultInstallFolder() + L"\\" + name;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    wchar_t text[64];
    swprintf(text, 64, L"%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
             HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(text, kVersion);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  }
}

TEST_F(VersionTest, InstalledP6kPrintsTheRelease) {
  EXPECT_EQ(OutputOf(L"\"" + DefaultInstallFolder() + L"\\p6k.exe\" --version"),
            std::string("p6k ") + SORVAN_VERSION + "\r\n");
}

}  // namespace
