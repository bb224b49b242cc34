// Which file a name leads to, on POSIX systems: the device and the inode.
#include <sys/stat.h>

#include <cerrno>

#include "tools/common/file_identity.h"

namespace qh::tools {

bool LookAt(const std::string& path, FileFacts& facts) {
  facts = FileFacts{};
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return errno == ENOENT;
  switch (status.st_mode & S_IFMT) {
    case S_IFREG: facts.kind = FileKind::kRegular; break;
    case S_IFDIR: facts.kind = FileKind::kFolder; break;
    default: facts.kind = FileKind::kOther; break;
  }
  facts.device = static_cast<std::uint64_t>(status.st_dev);
  facts.index = static_cast<std::uint64_t>(status.st_ino);
  return true;
}

}  // namespace qh::tools
