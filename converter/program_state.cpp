#include "converter/program_state.h"

#include <sys/stat.h>

#include <algorithm>

namespace qh {

void ReportLines::Append(std::string_view line) {
  if (count_ == kMaxLines) {
    // Full: scroll up so the newest line can take the last place.
    std::rotate(lines_.begin(), lines_.begin() + 1, lines_.end());
    --count_;
  }
  lines_[static_cast<std::size_t>(count_)].Assign(line);
  ++count_;
}

std::string BesideProgram(const ProgramState& state, std::string_view fileName) {
  std::string path(state.programFolder.Trim());
  path.append(fileName);
  return path;
}

bool FileExists(std::string_view path) {
  // stat takes the name as the platform's narrow path, like the C library's own
  // file opening does, so it sees the same files as the readers and writers.
  const std::string name(path);
  struct stat info {};
  if (name.empty() || stat(name.c_str(), &info) != 0) return false;
  return S_ISREG(info.st_mode);
}

FileStamp StampOf(std::string_view path) {
  const std::string name(path);
  struct stat info {};
  if (name.empty() || stat(name.c_str(), &info) != 0) return {};
#ifdef _WIN32
  const long long changed = static_cast<long long>(info.st_mtime);
#else
  const long long changed =
      static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
#endif
  return {true, static_cast<long long>(info.st_size), changed};
}

}  // namespace qh
