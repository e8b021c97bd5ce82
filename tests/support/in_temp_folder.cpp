// Runs a test program with its temporary folder somewhere else, as a user
// whose name holds characters outside ASCII has it:
//   in_temp_folder FOLDER PROGRAM [ARGUMENT...]
// FOLDER is made if need be and becomes TEMP and TMP, its parent
// USERPROFILE; the program's exit code is this one's. Everything is read and
// passed in UTF-16, so no code page touches the names.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

// Quoted for the run-time library's splitting; the arguments passed here
// hold no quotes of their own.
std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t") == std::wstring::npos) return argument;
  return L"\"" + argument + L"\"";
}

void MakeFolders(const std::wstring& folder) {
  for (std::size_t i = 3; i <= folder.size(); ++i)
    if (i == folder.size() || folder[i] == L'\\') CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
}

// The child writes where this program writes.
void ShareStandardHandles(STARTUPINFOW& startup) {
  startup.dwFlags = STARTF_USESTDHANDLES;
  HANDLE* handles[] = {&startup.hStdInput, &startup.hStdOutput, &startup.hStdError};
  DWORD kinds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (int i = 0; i < 3; ++i) {
    *handles[i] = GetStdHandle(kinds[i]);
    SetHandleInformation(*handles[i], HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count < 3) return 2;
  const std::wstring folder = arguments[1];
  MakeFolders(folder);
  SetEnvironmentVariableW(L"TEMP", folder.c_str());
  SetEnvironmentVariableW(L"TMP", folder.c_str());
  SetEnvironmentVariableW(L"USERPROFILE", folder.substr(0, folder.find_last_of(L'\\')).c_str());
  std::wstring command = Quoted(arguments[2]);
  for (int i = 3; i < count; ++i) command += L" " + Quoted(arguments[i]);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  ShareStandardHandles(startup);
  PROCESS_INFORMATION child = {};
  if (!CreateProcessW(arguments[2], &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &child))
    return 3;
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
  LocalFree(arguments);
  return static_cast<int>(code);
}
