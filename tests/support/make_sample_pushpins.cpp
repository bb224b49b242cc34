// Writes the sample pushpin file that the Windows tool and end-to-end tests convert, and
// optionally a second file of pins at the edges of what an overlay holds:
//   make_sample_pushpins OUTPUT.psp [EDGES.psp]
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/pushpin_builder.h"

namespace {

bool WritePins(const char* path, const std::vector<qh::test::StoredPin>& pins) {
  std::error_code ignored;  // a folder that cannot be made shows up as the open failure
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  const std::string bytes = qh::test::PushpinBytes(pins);
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "make_sample_pushpins: %s: %s\n", path, std::strerror(errno));
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "make_sample_pushpins: %s: write failed\n", path);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "Usage: make_sample_pushpins OUTPUT.psp [EDGES.psp]\n");
    return 2;
  }
  if (!WritePins(argv[1], qh::test::SamplePins())) return 2;
  return argc == 3 && !WritePins(argv[2], qh::test::EdgePins()) ? 2 : 0;
}
