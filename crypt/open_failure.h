#pragma once
#include <string>

// Why a row's file could not be opened, as far as the path itself tells:
// the window shows one word for all of these, the console says which.
enum class OpenFailure {
  None,        // it was opened
  Missing,     // nothing stands under that name
  NotCarried,  // a name holds a character no text carries (a lone UTF-16
               // surrogate) or no Windows name holds: it names no file
  UnderAFile,  // a part of the path before the name is a file, not a folder
  Folder,      // a folder (one that could not be listed, or came as a row)
  Link,        // a link, which a run never follows
  Special,     // a device, pipe or socket
  SystemFolder,  // under the system folder, which WOW64 would swap for another
  Refused,     // a regular file that the system would not open for writing:
               // read-only, held by another program, or not permitted
};

// Looked at after the open failed, so a change in between can blur it; it
// only ever chooses the words of a message.
OpenFailure WhyNotOpened(const std::string& path);
