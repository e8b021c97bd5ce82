#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/shell_access.h"

// The shell and registry of a test: every open is recorded and answered
// from the test's table, so nothing is ever started.
class FakeShell : public ShellAccess {
 public:
  struct Call {
    std::string verb;  // "(null)" for the default verb
    std::string file;
    int show;
  };
  struct Key {
    bool readable = true;
    std::string value;
  };

  INT_PTR executeResult = 42;
  UINT execResult = 33;
  std::map<std::string, Key> classes;  // subkeys of HKEY_CLASSES_ROOT that open
  std::vector<Call> executed;
  std::vector<std::string> commandLines;
  int openKeys = 0;

  INT_PTR Execute(const char* verb, const char* file, int show) override {
    executed.push_back({verb ? verb : "(null)", file ? file : "", show});
    return executeResult;
  }
  LONG OpenKey(HKEY root, const char* subkey, REGSAM, HKEY* key) override {
    auto found = classes.find(subkey);
    if (root != HKEY_CLASSES_ROOT || found == classes.end()) return ERROR_FILE_NOT_FOUND;
    m_open.push_back(&found->second);
    ++openKeys;
    *key = reinterpret_cast<HKEY>(m_open.size());
    return ERROR_SUCCESS;
  }
  LONG QueryDefault(HKEY key, char* value, LONG* size) override {
    const Key& k = *m_open.at(reinterpret_cast<size_t>(key) - 1);
    if (!k.readable) return ERROR_ACCESS_DENIED;
    if (static_cast<LONG>(k.value.size()) + 1 > *size) return ERROR_MORE_DATA;
    lstrcpyA(value, k.value.c_str());
    *size = static_cast<LONG>(k.value.size()) + 1;
    return ERROR_SUCCESS;
  }
  void CloseKey(HKEY) override { --openKeys; }
  UINT Exec(const char* commandLine, UINT) override {
    commandLines.push_back(commandLine);
    return execResult;
  }

 private:
  std::vector<const Key*> m_open;
};
