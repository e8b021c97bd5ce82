#pragma once
#include <cstdint>
#include <string>

// The key byte K. Every byte of the password (code page 936 bytes) folds into
// one byte, so there are only 256 keys: see the README's security note.
std::uint8_t DeriveKey(const std::string& password);
