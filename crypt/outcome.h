#pragma once

// What became of one file. The runs report these; the window and the command
// line turn them into texts and images.
enum class Outcome {
  Done,                 // output in place, source removed
  OpenFailed,           // the file cannot be opened for reading and writing
  TooLarge,             // longer than the size limit
  NamedAsContainer,     // encrypt: the path already ends in "p6k"
  RecognisedByTrailer,  // encrypt: the trailer reads back with this key
  NotNamedAsContainer,  // decrypt: the path does not end in "p6k"
  MarkerMismatch,       // decrypt: wrong key, not a container, or too short for a trailer
  TagMismatch,          // decrypt: marker reads back, tag does not (a damaged trailer)
  UnsafeExtension,      // decrypt: the stored extension would leave the folder
  ExtensionNotRestorable,  // encrypt: the restore would refuse the extension the trailer keeps
  NameNotConvertible,   // the name cannot be held in code page 936 (or back)
  NameNotHeld,          // decrypt: this system cannot hold the restored name (on
                        // Windows one ending in "." or " ")
  NameTaken,            // the output's name exists already; nothing replaced
  AlreadyInPlace,       // the output's name holds this very output already, as a run
                        // that died before removing its source left it; decrypt: both kept
  CreateFailed,         // the output cannot be created
  ReadFailed,           // reading the source failed after it was opened
  WriteFailed,          // writing or flushing the output failed
  DeleteFailed,         // output in place, source could not be removed: both kept
  SourceChanged,        // output in place, source changed meanwhile: both kept
  Stopped,              // the stop request came first: output removed, source intact
};

// The status a row reports, as values; each front end has its words for them.
enum class RowStatus {
  Ready,              // "就绪"
  Success,            // "成功"
  Failed,             // "失败"
  TooLargeEncrypt,    // "失败,文件大于1G"
  TooLargeDecrypt,    // "失败, 文件大于1G"
  AlreadyEncrypted,   // "被加密过的"
  NotEncrypted,       // "没有被加密过的"
  NameTaken,          // "失败,文件已存在"
};

enum class RunKind { Encrypt, Decrypt };

// The status an outcome of the given run reports, the same in the window
// and on the console.
RowStatus StatusOf(RunKind run, Outcome outcome);
