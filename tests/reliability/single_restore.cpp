// The prompt's restore of one double-clicked container, run natively: the
// prompt calls DecryptSingleFile and reaches the file layer through nothing
// else, so the crash-point check records this program's calls for it.
// Usage: single_restore CONTAINER, the password in P6K_PASSWORD; exit 0 when
// the file was restored.
#include <cstdio>
#include <cstdlib>

#include "crypt/key.h"
#include "crypt/single_decrypt.h"

int main(int argc, char** argv) {
  const char* password = std::getenv("P6K_PASSWORD");
  if (argc != 2 || !password) {
    std::fprintf(stderr, "usage: P6K_PASSWORD=... single_restore CONTAINER\n");
    return 2;
  }
  SingleDecryption result = DecryptSingleFile(argv[1], DeriveKey(password));
  if (result.outcome == Outcome::Done) return 0;
  std::fprintf(stderr, "not restored: outcome %d\n", static_cast<int>(result.outcome));
  return 1;
}
