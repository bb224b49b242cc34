#include <sys/stat.h>

#include <string>

#include "formats/file_system.h"

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

}  // namespace qh
