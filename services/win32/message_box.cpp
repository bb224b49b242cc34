// IWnMessageBox: the system message box with the layer's kinds, icons and answers.
#include <windows.h>

#include <string>

#include "boxes.h"
#include "layer_state.h"
#include "message_box_map.h"
#include "services/dialogs.h"
#include "services/errors.h"
#include "services/text.h"
#include "core/error_codes.h"

namespace qh {
namespace win {

int ClampDefaultButton(int kind, int requested) {
  switch (kind) {
    case 1:
    case 2:
    case 3:
      return requested == 1 ? 1 : 2;
    case 4:
    case 5:
      return (requested == 1 || requested == 2) ? requested : 3;
    default:
      return 1;
  }
}

UINT MessageBoxStyle(int kind, int icon, int defaultButton) {
  UINT style = MB_OK;
  switch (kind) {
    case 1: style = MB_OKCANCEL; break;
    case 2: style = MB_RETRYCANCEL; break;
    case 3: style = MB_YESNO; break;
    case 4: style = MB_YESNOCANCEL; break;
    case 5: style = MB_ABORTRETRYIGNORE; break;
    default: break;
  }
  switch (icon) {
    case 1: style |= MB_ICONHAND; break;
    case 2: style |= MB_ICONQUESTION; break;
    case 3: style |= MB_ICONEXCLAMATION; break;
    case 4: style |= MB_ICONASTERISK; break;
    default: break;
  }
  const int button = ClampDefaultButton(kind, defaultButton);
  if (button == 2) style |= MB_DEFBUTTON2;
  if (button == 3) style |= MB_DEFBUTTON3;
  return style;
}

int MapAnswer(int systemAnswer) {
  switch (systemAnswer) {
    case IDOK:
    case IDRETRY:
    case IDYES:
      return 1;
    case IDCANCEL:
    case IDIGNORE:
      return 0;
    case IDABORT:
    case IDNO:
      return 2;
    default:
      return -1;
  }
}

}  // namespace win

void IWnMessageBox(int kind, int icon, int defaultButton, std::string_view message,
                   std::string_view title) {
  const UINT style = win::MessageBoxStyle(kind, icon, defaultButton);
  win::TakeSnapshots();
  // Carriage returns stay in: the system box breaks its lines at them.
  const std::string text(Trimmed(message));
  const std::string caption(Trimmed(title));
  int answer;
  {
    win::ModalLock lock;
    // A box that could not be shown answers 0; it must not pass for Cancel.
    answer = win::MapAnswer(MessageBoxA(lock.Owner(), text.c_str(), caption.c_str(), style));
  }
  win::ReleaseSnapshots();
  win::DialogItems& items = win::Dialogs().items;
  items[kInfoExitState] = answer;
  items[kInfoExitFocus] = 0;
  if (answer == -1) IErReport(kErrCommonDialog);
}

}  // namespace qh
