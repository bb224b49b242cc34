#include "overlay/paths.h"

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

}  // namespace qh
