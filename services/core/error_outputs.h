// Where error reports and the abnormal exit go when they need a window. The portable
// error routine knows only these hooks; the Win32 layer fills them when it starts,
// and without them the window outputs are dropped (a report never fails visibly).
#pragma once

#include <string_view>

namespace qh {

struct ErrorOutputs {
  // Mode 3: put the error line into status part 1 of the root window.
  void (*statusLine)(std::string_view line) = nullptr;
  // Mode 4: the "Library Error" box (OK / Cancel); returns true when Cancel was chosen.
  bool (*libraryBox)(std::string_view line) = nullptr;
  // The abnormal-exit box: task-modal, stop icon, OK, the application name as caption.
  void (*abnormalExitBox)(std::string_view caption, std::string_view text) = nullptr;
};

void SetErrorOutputs(const ErrorOutputs& outputs);

}  // namespace qh
