#pragma once
#include <string>
#include <vector>

#include "crypt/decrypt_run.h"
#include "crypt/encrypt_run.h"
#include "crypt/key.h"
#include "tests/support/recording_listener.h"
#include "crypt/stop_request.h"

// A container's bytes as the layout gives them, computed independently of
// the engine: each data byte XOR (K XOR L mod 256), then the trailer under K.
inline std::string ContainerFromLayout(const std::string& plain, const std::string& extension,
                                       std::uint8_t key) {
  std::string out = plain;
  std::uint8_t mask = static_cast<std::uint8_t>(key ^ (plain.size() & 0xFF));
  for (auto& c : out) c = static_cast<char>(c ^ mask);
  std::string trailer = extension.substr(0, 8);
  trailer.resize(8, '\0');
  trailer += std::string("love\0qvtormx\0", 13);
  for (auto& c : trailer) c = static_cast<char>(c ^ key);
  return out + trailer;
}

inline RunSettings SettingsFor(const RecordingListener& view, const std::string& password,
                               FileSystem* fs = nullptr, const StopRequest* stop = nullptr) {
  RunSettings s;
  s.rows = view.Paths();
  s.key = DeriveKey(password);
  s.fileSystem = fs;
  s.stop = stop;
  return s;
}

inline RecordingListener RunEncrypt(std::vector<std::string> paths, const std::string& password,
                                FileSystem* fs = nullptr) {
  RecordingListener view(std::move(paths));
  EncryptRows(view, SettingsFor(view, password, fs));
  return view;
}

inline RecordingListener RunDecrypt(std::vector<std::string> paths, const std::string& password,
                                FileSystem* fs = nullptr) {
  RecordingListener view(std::move(paths));
  DecryptRows(view, SettingsFor(view, password, fs));
  return view;
}

// True when no temporary file of the runs is left in the folder.
inline bool NoTemporaryFiles(const std::vector<std::string>& names) {
  for (auto& n : names)
    if (n.compare(0, 4, "~p6k") == 0) return false;
  return true;
}
