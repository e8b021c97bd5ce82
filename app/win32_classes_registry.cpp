#include "app/win32_classes_registry.h"

namespace {

std::optional<std::string> ReadDefault(HKEY hive, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return std::nullopt;
  char buffer[520];
  DWORD size = sizeof buffer;
  DWORD type = 0;
  LONG r = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  // The stored terminator is optional: a value need not carry one.
  std::string value(buffer, size);
  while (!value.empty() && value.back() == '\0') value.pop_back();
  return value;
}

bool WriteValue(HKEY hive, const std::string& path, const char* name, const std::string& value) {
  HKEY key;
  if (RegCreateKeyExA(hive, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG set = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
  LONG closed = RegCloseKey(key);
  return set == ERROR_SUCCESS && closed == ERROR_SUCCESS;
}

}  // namespace

Win32ClassesRegistry::Win32ClassesRegistry(HKEY userHive, const char* userRoot, HKEY machineHive,
                                           const char* machineRoot)
    : m_userHive(userHive), m_userRoot(userRoot), m_machineHive(machineHive),
      m_machineRoot(machineRoot) {}

bool Win32ClassesRegistry::WriteDefault(const std::string& key, const std::string& value) {
  return WriteValue(m_userHive, m_userRoot + "\\" + key, nullptr, value);
}

bool Win32ClassesRegistry::WriteNamed(const std::string& key, const std::string& name,
                                      const std::string& value) {
  return WriteValue(m_userHive, m_userRoot + "\\" + key, name.c_str(), value);
}

std::optional<std::string> Win32ClassesRegistry::ReadUserDefault(const std::string& key) {
  return ReadDefault(m_userHive, m_userRoot + "\\" + key);
}

std::optional<std::string> Win32ClassesRegistry::ReadMachineDefault(const std::string& key) {
  return ReadDefault(m_machineHive, m_machineRoot + "\\" + key);
}
