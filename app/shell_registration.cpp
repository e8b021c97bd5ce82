#include "app/shell_registration.h"

DocumentStrings SplitDocumentString(const std::string& text) {
  DocumentStrings strings;
  std::size_t start = 0;
  for (int i = 0; i < DocumentStrings::Count && start <= text.size(); ++i) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    strings.field[i] = text.substr(start, end - start);
    start = end + 1;
  }
  return strings;
}

namespace {

// True when the extension has a non-empty value naming another type.
bool OwnedByAnother(const std::optional<std::string>& value, const std::string& typeId) {
  return value && !value->empty() && *value != typeId;
}

bool WriteTypeKeys(const std::string& typeId, const std::string& typeName,
                   const std::string& exe, bool hasIconAtIndex1, ClassesRegistry& registry) {
  return registry.WriteDefault(typeId, typeName) &&
         registry.WriteDefault(typeId + "\\DefaultIcon", exe + (hasIconAtIndex1 ? ",1" : ",0")) &&
         registry.WriteDefault(typeId + "\\shell\\open\\command", exe + " \"%1\"") &&
         registry.WriteDefault(typeId + "\\shell\\print\\command", exe + " /p \"%1\"") &&
         registry.WriteDefault(typeId + "\\shell\\printto\\command",
                               exe + " /pt \"%1\" \"%2\" \"%3\" \"%4\"");
}

}  // namespace

void RegisterShellFileTypes(const DocumentStrings& strings, const std::string& exe,
                            bool hasIconAtIndex1, ClassesRegistry& registry) {
  const std::string& typeId = strings.field[DocumentStrings::RegFileTypeId];
  if (typeId.empty()) return;
  const std::string& name = strings.field[DocumentStrings::RegFileTypeName];
  const std::string& typeName = name.empty() ? typeId : name;
  // A refused write skips the rest silently: start-up goes on regardless.
  if (!WriteTypeKeys(typeId, typeName, exe, hasIconAtIndex1, registry)) return;

  const std::string& extension = strings.field[DocumentStrings::FilterExt];
  if (extension.empty()) return;
  // Another program's association survives, whether it sits in the user's
  // classes or the machine's.
  if (OwnedByAnother(registry.ReadUserDefault(extension), typeId) ||
      OwnedByAnother(registry.ReadMachineDefault(extension), typeId))
    return;
  if (registry.WriteDefault(extension, typeId))
    registry.WriteNamed(extension + "\\ShellNew", "NullFile", "");
}
