#include "files/io_error.h"

#include <cerrno>
#include <cstring>

namespace qh {

IoError OpenFailure(const std::string& path, int errorNumber) {
  IoError error{IoFailure::kCannotOpen, path, std::strerror(errorNumber)};
  if (errorNumber == ENOENT) error.what = IoFailure::kNotFound;
  if (errorNumber == EACCES || errorNumber == EPERM) error.what = IoFailure::kAccessDenied;
  if (errorNumber == EISDIR) error.what = IoFailure::kIsFolder;
  return error;
}

}  // namespace qh
