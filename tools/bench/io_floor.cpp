// The I/O floor of psp2ov2, for the benchmark: what a program that only moves the bytes
// must spend. It reads the pushpin file through, writes as many bytes as psp2ov2 wrote to
// its three outputs to temporary files beside them, flushes them to the disk (unless
// --no-sync) and puts them in their places together, through the same output set and
// commit as psp2ov2 (lock, journal, earlier files kept until all are in place):
//   io_floor [--no-sync] INPUT.psp OUTPUT_STEM ASC_BYTES OV2_BYTES BMP_BYTES
// writes OUTPUT_STEM.asc, OUTPUT_STEM.ov2 and OUTPUT_STEM.bmp.
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "files/complete_file.h"
#include "files/output_set.h"
#include "tools/common/output_claim.h"

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;

bool ParseCount(const char* text, std::uint64_t& count) {
  const std::string_view view(text);
  const auto [end, ec] = std::from_chars(view.data(), view.data() + view.size(), count);
  return ec == std::errc() && end == view.data() + view.size();
}

// Reads the whole file in large pieces; false, and said why, when it cannot.
bool ReadThrough(const char* path, std::string& buffer) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "io_floor: cannot read %s: %s\n", path, std::strerror(errno));
    return false;
  }
  while (std::fread(buffer.data(), 1, buffer.size(), file) == buffer.size()) {
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) std::fprintf(stderr, "io_floor: cannot read %s\n", path);
  return !failed;
}

// `count` bytes of `pattern`, handed over a piece at a time as a writer does.
bool WriteBytes(qh::CompleteFile& file, std::uint64_t count, const std::string& pattern) {
  while (count > 0) {
    const std::size_t piece = count < pattern.size() ? static_cast<std::size_t>(count) : pattern.size();
    if (!file.Write(std::string_view(pattern.data(), piece))) return false;
    count -= piece;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  if (argc > 1 && std::strcmp(argv[1], "--no-sync") == 0) {
    qh::SetFlushToDisk(false);
    ++first;
  }
  std::uint64_t sizes[3] = {};
  if (argc - first != 5 || !ParseCount(argv[first + 2], sizes[0]) ||
      !ParseCount(argv[first + 3], sizes[1]) || !ParseCount(argv[first + 4], sizes[2])) {
    std::fprintf(stderr,
                 "Usage: io_floor [--no-sync] INPUT.psp OUTPUT_STEM ASC_BYTES OV2_BYTES BMP_BYTES\n");
    return 2;
  }
  qh::RemoveTemporaryFilesOnInterrupt();
  const std::string stem = argv[first + 1];
  const std::string names[3] = {stem + ".asc", stem + ".ov2", stem + ".bmp"};
  qh::OutputSet set;
  if (!qh::tools::ClaimOutputs("io_floor", {names[0], names[1], names[2]}, set)) return 2;
  std::string pattern(kChunk, '\0');
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>('0' + i % 43);
  if (!ReadThrough(argv[first], pattern)) return 2;
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>('0' + i % 43);
  qh::CompleteFile files[3];
  for (int i = 0; i < 3; ++i) {
    if (!files[i].Open(names[i], &set)) {
      std::fprintf(stderr, "io_floor: cannot write %s: %s\n", names[i].c_str(),
                   files[i].Error().reason.c_str());
      return 2;
    }
  }
  for (int i = 0; i < 3; ++i) {
    if (!WriteBytes(files[i], sizes[i], pattern)) {
      std::fprintf(stderr, "io_floor: cannot write %s: %s\n", names[i].c_str(),
                   files[i].Error().reason.c_str());
      return 2;
    }
  }
  if (!qh::CommitTogether({&files[0], &files[1], &files[2]}, &set)) {
    for (const qh::CompleteFile& file : files) {
      if (file.Failed()) {
        std::fprintf(stderr, "io_floor: cannot write %s: %s\n", file.Path().c_str(),
                     file.Error().reason.c_str());
      }
    }
    return 2;
  }
  return 0;
}
