#pragma once
#include <optional>
#include <string>

// The seven newline-separated fields of the document string (string 128):
// title, document name, file-new name, filter name, filter extension,
// registry type identifier, registry type name.
struct DocumentStrings {
  enum Field { Title, DocName, FileNewName, FilterName, FilterExt, RegFileTypeId, RegFileTypeName, Count };
  std::string field[Count];
};

DocumentStrings SplitDocumentString(const std::string& text);

// The classes part of the registry: written in the user's classes, read from
// the user's and the machine's. Keys are relative to the classes root.
class ClassesRegistry {
 public:
  virtual ~ClassesRegistry() = default;
  virtual bool WriteDefault(const std::string& key, const std::string& value) = 0;
  virtual bool WriteNamed(const std::string& key, const std::string& name,
                          const std::string& value) = 0;
  virtual std::optional<std::string> ReadUserDefault(const std::string& key) = 0;
  virtual std::optional<std::string> ReadMachineDefault(const std::string& key) = 0;
};

// Writes the file type's keys and commands for the executable (its short
// path), and takes the extension only when nobody else owns it.
void RegisterShellFileTypes(const DocumentStrings& strings, const std::string& executable,
                            bool hasIconAtIndex1, ClassesRegistry& registry);
