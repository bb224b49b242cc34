// Writes the default overlay icon to the file named by its argument.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "resources/symbol/default_symbol.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: make_default_symbol OUTPUT.bmp\n");
    return 2;
  }
  const auto bytes = qh::DefaultSymbolBitmap();
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "make_default_symbol: cannot write %s: %s\n", argv[1],
                 std::strerror(errno));
    return 2;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "make_default_symbol: cannot write %s\n", argv[1]);
    return 2;
  }
  return 0;
}
