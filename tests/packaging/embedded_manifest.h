#pragma once
#include <cstdint>
#include <string>

// What a Windows program's file says about itself, read from the file alone:
// the machine in its PE header and the text of its application manifest
// (the RT_MANIFEST resource), so a Linux test can check a build of either
// word size without running it.
struct ProgramImage {
  std::uint16_t machine = 0;  // IMAGE_FILE_MACHINE_*: 0x14c i386, 0x8664 AMD64
  std::string manifest;       // empty when the program carries none
};

// False when the file is no PE image or its resources cannot be walked.
bool ReadProgramImage(const std::string& path, ProgramImage& image);
