#include <gtest/gtest.h>
#include <windows.h>

#include <map>

#include "app/executable_location.h"
#include "app/shell_registration.h"
#include "app/win32_classes_registry.h"

namespace {

const char kDocumentString[] =
    "SORVAN Programmer\n\nSORVAN Programmer\nSORVAN Programmer Files (*.p6k)\n.p6k\n"
    "SORVANProgrammer.File\nSORVANProgrammer.File";

// An in-memory registry; the Nth write (from 1) can be refused.
class FakeRegistry : public ClassesRegistry {
 public:
  std::map<std::string, std::string> user, machine;  // "key" or "key|name" -> value
  int refuseWrite = 0;
  int writes = 0;

  bool WriteDefault(const std::string& key, const std::string& value) override {
    if (++writes == refuseWrite) return false;
    user[key] = value;
    return true;
  }
  bool WriteNamed(const std::string& key, const std::string& name,
                  const std::string& value) override {
    if (++writes == refuseWrite) return false;
    user[key + "|" + name] = value;
    return true;
  }
  std::optional<std::string> ReadUserDefault(const std::string& key) override {
    return Find(user, key);
  }
  std::optional<std::string> ReadMachineDefault(const std::string& key) override {
    return Find(machine, key);
  }

 private:
  static std::optional<std::string> Find(const std::map<std::string, std::string>& m,
                                         const std::string& key) {
    auto it = m.find(key);
    if (it == m.end()) return std::nullopt;
    return it->second;
  }
};

const std::map<std::string, std::string> kTypeKeys = {
    {"SORVANProgrammer.File", "SORVANProgrammer.File"},
    {"SORVANProgrammer.File\\DefaultIcon", "C:\\PROGRA~1\\sorvan.exe,1"},
    {"SORVANProgrammer.File\\shell\\open\\command", "C:\\PROGRA~1\\sorvan.exe \"%1\""},
    {"SORVANProgrammer.File\\shell\\print\\command", "C:\\PROGRA~1\\sorvan.exe /p \"%1\""},
    {"SORVANProgrammer.File\\shell\\printto\\command",
     "C:\\PROGRA~1\\sorvan.exe /pt \"%1\" \"%2\" \"%3\" \"%4\""},
};

TEST(DocumentString, SevenFields) {
  DocumentStrings s = SplitDocumentString(kDocumentString);
  EXPECT_EQ(s.field[DocumentStrings::Title], "SORVAN Programmer");
  EXPECT_EQ(s.field[DocumentStrings::DocName], "");
  EXPECT_EQ(s.field[DocumentStrings::FilterName], "SORVAN Programmer Files (*.p6k)");
  EXPECT_EQ(s.field[DocumentStrings::FilterExt], ".p6k");
  EXPECT_EQ(s.field[DocumentStrings::RegFileTypeId], "SORVANProgrammer.File");
  EXPECT_EQ(s.field[DocumentStrings::RegFileTypeName], "SORVANProgrammer.File");
}

TEST(ShellRegistration, TakesTheExtensionOnlyWhenFreeOrOurs) {
  struct Case {
    const char* name;
    std::optional<std::string> userExt, machineExt;
    bool takesExtension;
  } cases[] = {
      {"fresh", std::nullopt, std::nullopt, true},
      {"empty value", std::string(""), std::nullopt, true},
      {"already ours", std::string("SORVANProgrammer.File"), std::nullopt, true},
      {"ours on the machine", std::nullopt, std::string("SORVANProgrammer.File"), true},
      {"another type for the user", std::string("Other.File"), std::nullopt, false},
      {"another type on the machine", std::nullopt, std::string("Other.File"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistry registry;
    if (c.userExt) registry.user[".p6k"] = *c.userExt;
    if (c.machineExt) registry.machine[".p6k"] = *c.machineExt;
    RegisterShellFileTypes(SplitDocumentString(kDocumentString), "C:\\PROGRA~1\\sorvan.exe", true,
                           registry);
    for (const auto& kv : kTypeKeys) EXPECT_EQ(registry.user[kv.first], kv.second) << kv.first;
    if (c.takesExtension) {
      EXPECT_EQ(registry.user[".p6k"], "SORVANProgrammer.File");
      EXPECT_EQ(registry.user.count(".p6k\\ShellNew|NullFile"), 1u);
    } else {
      EXPECT_EQ(registry.user.count(".p6k\\ShellNew|NullFile"), 0u);
      EXPECT_EQ(registry.ReadUserDefault(".p6k"), c.userExt);
    }
  }
}

TEST(ShellRegistration, ARefusedWriteSkipsTheRest) {
  for (int refused = 1; refused <= 7; ++refused) {
    SCOPED_TRACE(refused);
    FakeRegistry registry;
    registry.refuseWrite = refused;
    RegisterShellFileTypes(SplitDocumentString(kDocumentString), "C:\\x.exe", false, registry);
    EXPECT_EQ(registry.writes, refused <= 6 ? refused : 7);
    EXPECT_EQ(registry.user.size(), static_cast<std::size_t>(refused - 1));
  }
}

TEST(ShellRegistration, NoIconAtIndexOneAndNoTypeIdentifier) {
  FakeRegistry registry;
  RegisterShellFileTypes(SplitDocumentString(kDocumentString), "C:\\x.exe", false, registry);
  EXPECT_EQ(registry.user["SORVANProgrammer.File\\DefaultIcon"], "C:\\x.exe,0");
  FakeRegistry untouched;
  RegisterShellFileTypes(SplitDocumentString("Title\n\n\n\n.p6k\n\n"), "C:\\x.exe", true, untouched);
  EXPECT_TRUE(untouched.user.empty());
}

// The real registry, under roots of the test's own: what the program writes
// reads back, a second start rewrites the commands for the new location, and
// a foreign association in the machine's classes is left alone.
TEST(Win32ClassesRegistry, RoundTripAndRewrite) {
  const char* userRoot = "Software\\SorvanTests\\UserClasses";
  const char* machineRoot = "Software\\SorvanTests\\MachineClasses";
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\SorvanTests");
  Win32ClassesRegistry registry(HKEY_CURRENT_USER, userRoot, HKEY_CURRENT_USER, machineRoot);
  DocumentStrings strings = SplitDocumentString(kDocumentString);

  RegisterShellFileTypes(strings, "C:\\OLD\\sorvan.exe", true, registry);
  EXPECT_EQ(registry.ReadUserDefault("SORVANProgrammer.File\\shell\\open\\command"),
            std::string("C:\\OLD\\sorvan.exe \"%1\""));
  EXPECT_EQ(registry.ReadUserDefault(".p6k"), std::string("SORVANProgrammer.File"));

  RegisterShellFileTypes(strings, "C:\\NEW\\sorvan.exe", true, registry);
  EXPECT_EQ(registry.ReadUserDefault("SORVANProgrammer.File\\shell\\printto\\command"),
            std::string("C:\\NEW\\sorvan.exe /pt \"%1\" \"%2\" \"%3\" \"%4\""));

  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\SorvanTests\\UserClasses\\.p6k\\ShellNew",
                            0, nullptr, 0, KEY_QUERY_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
  char value[8] = "x";
  DWORD size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "NullFile", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(value, "");
  RegCloseKey(key);

  RegDeleteTreeA(HKEY_CURRENT_USER, userRoot);
  Win32ClassesRegistry other(HKEY_CURRENT_USER, userRoot, HKEY_CURRENT_USER, machineRoot);
  ASSERT_TRUE(Win32ClassesRegistry(HKEY_CURRENT_USER, machineRoot, HKEY_CURRENT_USER, machineRoot)
                  .WriteDefault(".p6k", "Other.File"));
  RegisterShellFileTypes(strings, "C:\\NEW\\sorvan.exe", true, other);
  EXPECT_EQ(other.ReadUserDefault(".p6k"), std::nullopt);
  EXPECT_EQ(other.ReadMachineDefault(".p6k"), std::string("Other.File"));
  EXPECT_EQ(other.ReadUserDefault("SORVANProgrammer.File"), std::string("SORVANProgrammer.File"));
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\SorvanTests");
}

TEST(ExecutableLocation, ShortPathOfTheRunningProgram) {
  std::string path = ShortExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.find(' '), std::string::npos);
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(HasIconAtIndex(path, 1));  // the test program carries no icons
}

}  // namespace
