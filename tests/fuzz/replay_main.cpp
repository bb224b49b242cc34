// Replays corpus files through a harness without libFuzzer: each argument is a file or
// a folder whose files are replayed in name order. Used by `make test`, so that every
// seed and every input that once broke a harness runs on each test run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/support/temp_folder.h"

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else {
      files.push_back(path);
    }
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "no corpus files given\n");
    return 2;
  }
  for (const auto& file : files) {
    std::string bytes;
    if (!qh::test::ReadFile(file.string(), bytes)) {
      std::fprintf(stderr, "%s: cannot read\n", file.string().c_str());
      return 2;
    }
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.string().c_str(), bytes.size());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("%zu corpus files replayed\n", files.size());
  return 0;
}
