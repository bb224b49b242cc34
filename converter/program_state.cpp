#include "converter/program_state.h"

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

}  // namespace qh
