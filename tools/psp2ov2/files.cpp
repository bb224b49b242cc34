#include "tools/psp2ov2/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "overlay/paths.h"

namespace qh::psp2ov2 {

bool ReadWholeFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  bytes.clear();
  std::uint8_t chunk[65536];
  std::size_t got;
  errno = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (bytes.size() + got > limit) {
      error = "it holds more than " + std::to_string(limit >> 20) + " MiB";
      std::fclose(file);
      return false;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const bool failed = std::ferror(file) != 0;
  if (failed) error = std::strerror(errno != 0 ? errno : EIO);
  std::fclose(file);
  return !failed;
}

bool FileExists(const std::string& path) {
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fclose(file);
    return true;
  }
  return false;
}

std::string ProgramFolder(const char* argv0) {
#ifndef _WIN32
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return std::string(FolderPart(self.string()));
#endif
  return std::string(FolderPart(argv0 != nullptr ? argv0 : ""));
}

}  // namespace qh::psp2ov2
