// The window outputs of the error routine: the status line (mode 3), the
// "Library Error" box (mode 4) and the abnormal-exit box.
#include <windows.h>

#include <string>

#include "boxes.h"
#include "core/error_outputs.h"
#include "layer_state.h"
#include "services/dialogs.h"
#include "services/window.h"

namespace qh {
namespace {

void StatusLine(std::string_view line) {
  win::WindowState& table = win::Windows();
  if (!table.rootOpen) return;
  // Always the root window's bar, whatever window is current.
  const int current = table.current;
  table.current = 0;
  IWnStatusText(1, line);
  table.current = current;
}

bool LibraryBox(std::string_view line) {
  IWnMessageBox(kBoxOkCancel, kIconExclamation, 1, line, "Library Error");
  return IDlInfo(4) == 0;
}

void AbnormalExitBox(std::string_view caption, std::string_view text) {
  const std::string c(caption);
  const std::string t(text);
  MessageBoxA(nullptr, t.c_str(), c.c_str(), MB_TASKMODAL | MB_ICONHAND | MB_OK);
}

}  // namespace

void InstallWindowErrorOutputs() {
  ErrorOutputs outputs;
  outputs.statusLine = &StatusLine;
  outputs.libraryBox = &LibraryBox;
  outputs.abnormalExitBox = &AbnormalExitBox;
  SetErrorOutputs(outputs);
}

}  // namespace qh
