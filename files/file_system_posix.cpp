// The parts of the file module that ask the system: POSIX systems.
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

#include <filesystem>
#include <string>
#include <system_error>

#include "files/file_system.h"

namespace qh {

FileStamp StampOf(std::string_view path) {
  const std::string name(path);
  struct stat info {};
  if (name.empty() || stat(name.c_str(), &info) != 0) return {};
  const long long changed =
      static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  return {true, static_cast<long long>(info.st_size), changed,
          static_cast<unsigned long long>(info.st_ino)};
}

bool FreeDiskBytes(const std::string& folder, std::uint64_t& bytes, IoError& error) {
  struct statvfs facts {};
  const std::string name = folder.empty() ? std::string(".") : folder;
  if (statvfs(name.c_str(), &facts) != 0) {
    error = {IoFailure::kCannotOpen, name, std::strerror(errno)};
    return false;
  }
  bytes = static_cast<std::uint64_t>(facts.f_bavail) * facts.f_frsize;
  return true;
}

bool MakeFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string ProgramFolder(const char* argv0) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return std::string(FolderPart(self.string()));
  return std::string(FolderPart(argv0 != nullptr ? argv0 : ""));
}

}  // namespace qh
