#include "formats/file_system.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace qh {

std::string_view FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderPart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
  const std::string_view name = FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  std::string result(path.substr(0, path.size() - name.size()));
  // A name that is only an extension (".asc") keeps it as its name.
  if (dot == std::string_view::npos || dot == 0) {
    result.append(name);
  } else {
    result.append(name.substr(0, dot));
  }
  result.append(extension);
  return result;
}

bool FileExists(std::string_view path) {
  // stat takes the name as the platform's narrow path, like the C library's own file
  // opening does, so it sees the same files as the readers and writers.
  const std::string name(path);
  struct stat info {};
  if (name.empty() || stat(name.c_str(), &info) != 0) return false;
  return S_ISREG(info.st_mode);
}

std::string LowerCaseExtension(std::string_view path) {
  const std::string_view name = FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string extension(name.substr(dot + 1));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

bool ReadWholeFile(std::string_view path, std::size_t limit, std::string& bytes, IoError& error) {
  const std::string name(path);
  struct stat info {};
  if (stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    error = OpenFailure(name, EISDIR);
    return false;
  }
  // A FIFO without a writer would block the open, and a device never ends: neither is
  // a file to read whole.
  if (stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    error = {IoFailure::kCannotOpen, name, "it is not a regular file"};
    return false;
  }
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    error = OpenFailure(name, errno);
    return false;
  }
  bytes.clear();
  // Room for the whole file at once: growing by chunks would copy a large file again
  // and again.
  if (S_ISREG(info.st_mode) && info.st_size > 0 &&
      static_cast<unsigned long long>(info.st_size) <= limit) {
    bytes.reserve(static_cast<std::size_t>(info.st_size));
  }
  char chunk[65536];
  std::size_t got;
  errno = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (bytes.size() + got > limit) {
      const bool mebibytes = limit >= (1u << 20) && limit % (1u << 20) == 0;
      error = {IoFailure::kTooLarge, name,
               "it holds more than " + (mebibytes ? std::to_string(limit >> 20) + " MiB"
                                                  : std::to_string(limit) + " bytes")};
      std::fclose(file);
      return false;
    }
    bytes.append(chunk, got);
  }
  const bool failed = std::ferror(file) != 0;
  if (failed) error = {IoFailure::kReadFailed, name, std::strerror(errno != 0 ? errno : EIO)};
  std::fclose(file);
  return !failed;
}

std::string ProgramFolder(const char* argv0) {
#ifndef _WIN32
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return std::string(FolderPart(self.string()));
#endif
  return std::string(FolderPart(argv0 != nullptr ? argv0 : ""));
}

}  // namespace qh
