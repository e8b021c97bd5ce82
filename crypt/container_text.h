#pragma once
#include <optional>
#include <string>

// Containers hold their extension, and keys are derived from password bytes,
// in code page 936, as the Windows program has always written them. The
// program's own strings are UTF-8 on every system, on Windows converted
// whole from the system's UTF-16; here they become those bytes and back.
// Code page 936 is for the extension field and the password, never a path.
namespace container_text {

// Native text to container bytes; nothing when code page 936 cannot hold it.
std::optional<std::string> ToContainer(const std::string& native);

// Container bytes back to native text; nothing when they do not convert.
std::optional<std::string> FromContainer(const std::string& bytes);

// The lead-byte test for bytes as the container holds them.
bool IsContainerLeadByte(unsigned char b);

// An extension read from a container that may form a file name: no
// character of \ / : * ? " < > | and none below 0x20 (either would lead out
// of the folder or into an alternate data stream). A lone lead byte left at
// the end by the field's 8-byte cut is dropped from the result.
std::optional<std::string> SafeExtension(const std::string& field);

}  // namespace container_text
