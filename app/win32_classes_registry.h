#pragma once
#include <windows.h>

#include "app/shell_registration.h"

// The user's classes (HKCU\Software\Classes) for writing, and the machine's
// (HKLM\Software\Classes) for reading. Both are opened explicitly: under Wine
// HKEY_CLASSES_ROOT does not show the user's keys. Tests give other roots.
class Win32ClassesRegistry : public ClassesRegistry {
 public:
  Win32ClassesRegistry(HKEY userHive = HKEY_CURRENT_USER,
                       const char* userRoot = "Software\\Classes",
                       HKEY machineHive = HKEY_LOCAL_MACHINE,
                       const char* machineRoot = "Software\\Classes");

  bool WriteDefault(const std::string& key, const std::string& value) override;
  bool WriteNamed(const std::string& key, const std::string& name,
                  const std::string& value) override;
  std::optional<std::string> ReadUserDefault(const std::string& key) override;
  std::optional<std::string> ReadMachineDefault(const std::string& key) override;

 private:
  HKEY m_userHive;
  std::string m_userRoot;
  HKEY m_machineHive;
  std::string m_machineRoot;
};
