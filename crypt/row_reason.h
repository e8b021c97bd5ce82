#pragma once
#include "crypt/outcome.h"
#include "crypt/run_listener.h"

// Why a row did not succeed, as a value: the outcome told apart by the run
// it came from and, for a file that could not be opened, by what the path
// named instead. Each front end has its words for these (the window's tip,
// the console's standard error).
enum class Reason {
  None,  // the row succeeded
  Failed,
  FileTooLarge,
  ContainerTooLarge,
  NamedAsContainer,
  AlreadyEncrypted,
  NotNamedAsContainer,
  WrongPassword,
  Damaged,
  UnsafeExtension,
  ExtensionNotRestorable,
  NameNotInCodePage,
  ExtensionNotAName,
  NameNotHeld,
  ContainerNameTaken,
  RestoredNameTaken,
  ContainerNotCreated,
  RestoredNotCreated,
  ReadFailed,
  ContainerNotWritten,
  RestoredNotWritten,
  SourceNotRemoved,
  ContainerNotRemoved,
  SourceChanged,
  ContainerChanged,
  Stopped,
  Missing,
  NameNotCarried,
  UnderAFile,
  Folder,
  Link,
  Special,
  SystemFolder,
  Refused,
  NotOpened,
};

Reason ReasonOf(RunKind run, const RowResult& result);
