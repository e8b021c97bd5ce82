// A whole decryption of arbitrary bytes in a scratch folder: never a crash,
// nothing written outside the folder, no temporary file left, and the input
// either stays or is replaced by exactly one restored file.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "crypt/decrypt_run.h"
#include "crypt/single_decrypt.h"

namespace {

std::vector<std::string> List(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* e = readdir(dir))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    closedir(dir);
  }
  return names;
}

void Empty(const std::string& folder) {
  for (auto& n : List(folder)) {
    std::string p = folder + "/" + n;
    if (unlink(p.c_str()) != 0) rmdir(p.c_str());
  }
}

const std::string& Root() {
  static std::string root = [] {
    char pattern[] = "/tmp/p6kfuzz.XXXXXX";
    std::string r = mkdtemp(pattern);
    return r;
  }();
  return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string inner = Root() + "/inner";
  mkdir(inner.c_str(), 0700);
  Empty(inner);
  const std::string path = inner + "/f.p6k";
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(data + 1, 1, size - 1, f);
  std::fclose(f);

  RunSettings settings;
  settings.rows = {path};
  settings.key = data[0];
  RunListener silent;
  if (data[0] & 1) {
    DecryptRows(silent, settings);
  } else {
    DecryptSingleFile(path, data[0]);
  }
  std::vector<std::string> outside = List(Root());
  if (outside.size() != 1 || outside[0] != "inner") std::abort();
  std::vector<std::string> names = List(inner);
  if (names.size() != 1) std::abort();
  if (names[0].compare(0, 4, "~p6k") == 0) std::abort();
  return 0;
}
