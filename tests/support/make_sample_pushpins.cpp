// Writes the sample pushpin file that the Windows tool and end-to-end tests convert:
//   make_sample_pushpins OUTPUT.psp
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "tests/support/pushpin_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: make_sample_pushpins OUTPUT.psp\n");
    return 2;
  }
  std::error_code ignored;  // a folder that cannot be made shows up as the open failure
  std::filesystem::create_directories(std::filesystem::path(argv[1]).parent_path(), ignored);
  const std::string bytes = qh::test::PushpinBytes(qh::test::SamplePins());
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "make_sample_pushpins: %s: %s\n", argv[1], std::strerror(errno));
    return 2;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "make_sample_pushpins: %s: write failed\n", argv[1]);
    return 2;
  }
  return 0;
}
