// Menu item states: by command id, else through the menu path table; the same
// change goes to the toolbar buttons with that command id.
#include <windows.h>
#include <commctrl.h>

#include "root_window.h"
#include "services/errors.h"
#include "services/window.h"
#include "core/error_codes.h"

namespace qh {

namespace win {

bool FindMenuItem(const WindowSlot& w, int itemId, MenuItemRef& ref) {
  if (!w.menu) return false;
  const UINT state = GetMenuState(w.menu, static_cast<UINT>(itemId), MF_BYCOMMAND);
  if (state != static_cast<UINT>(-1)) {
    ref = {w.menu, static_cast<UINT>(itemId), MF_BYCOMMAND, state};
    return true;
  }
  for (const MenuPath& path : w.menuPaths) {
    if (path.id != itemId) continue;
    HMENU menu = w.menu;
    for (std::size_t k = 0; k + 1 < path.positions.size() && menu; ++k)
      menu = GetSubMenu(menu, path.positions[k] - 1);
    const int last = path.positions.back() - 1;
    if (!menu || last < 0 || last >= GetMenuItemCount(menu)) return false;
    ref = {menu, static_cast<UINT>(last), MF_BYPOSITION,
           GetMenuState(menu, static_cast<UINT>(last), MF_BYPOSITION)};
    return true;
  }
  return false;
}

bool OnMenuBar(const WindowSlot& w, const MenuItemRef& ref) {
  if (ref.menu != w.menu) return false;
  if (ref.byFlag == MF_BYPOSITION) return true;
  const int count = GetMenuItemCount(w.menu);
  for (int i = 0; i < count; ++i)
    if (GetMenuItemID(w.menu, i) == ref.item) return true;
  return false;
}

}  // namespace win

namespace {

using win::Windows;

// Index of the button with `itemId` on a toolbar, or -1.
bool HasButton(HWND toolbar, int itemId) {
  return SendMessageA(toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(itemId), 0) >= 0 &&
         SendMessageA(toolbar, TB_GETSTATE, static_cast<WPARAM>(itemId), 0) != -1;
}

}  // namespace

void IMnSetState(int itemId, int what, int value) {
  if (what < kMenuEnabled || what > kMenuChecked || value < 0 || value > 1) return;
  win::WindowSlot& w = Windows().slots[win::MenuWindow()];
  bool found = false;
  win::MenuItemRef ref;
  win::ForgetMenuRead();
  if (win::FindMenuItem(w, itemId, ref)) {
    found = true;
    if (what == kMenuEnabled) {
      EnableMenuItem(ref.menu, ref.item, ref.byFlag | (value ? MF_ENABLED : MF_GRAYED));
      if (OnMenuBar(w, ref)) DrawMenuBar(w.frame);
    } else {
      CheckMenuItem(ref.menu, ref.item, ref.byFlag | (value ? MF_CHECKED : MF_UNCHECKED));
    }
  }
  for (const win::ToolbarSlot& t : w.toolbars) {
    if (!t.hwnd || !HasButton(t.hwnd, itemId)) continue;
    found = true;
    SendMessageA(t.hwnd, what == kMenuEnabled ? TB_ENABLEBUTTON : TB_CHECKBUTTON,
                 static_cast<WPARAM>(itemId), MAKELPARAM(value, 0));
    InvalidateRect(t.hwnd, nullptr, TRUE);
    UpdateWindow(t.hwnd);
  }
  if (!found) IErReport(kErrInvalidMenuItem);
}

int IMnGetState(int itemId, int what) {
  if (what < kMenuEnabled || what > kMenuChecked) return 0;
  const win::WindowSlot& w = Windows().slots[win::MenuWindow()];
  auto answer = [what](UINT state) {
    if (what == kMenuEnabled) return (state & MF_GRAYED) ? 0 : 1;
    return (state & MF_CHECKED) ? 1 : 0;
  };
  win::WindowState::MenuRead& last = Windows().lastMenuRead;
  if (w.menu && last.menu == w.menu && last.itemId == itemId) return answer(last.state);
  win::MenuItemRef ref;
  if (win::FindMenuItem(w, itemId, ref)) {
    last = {w.menu, itemId, ref.state};
    return answer(ref.state);
  }
  bool found = false;
  int result = 0;
  for (const win::ToolbarSlot& t : w.toolbars) {
    if (!t.hwnd || !HasButton(t.hwnd, itemId)) continue;
    found = true;  // the last toolbar asked wins
    const LRESULT state = SendMessageA(t.hwnd, TB_GETSTATE, static_cast<WPARAM>(itemId), 0);
    result = (state & (what == kMenuEnabled ? TBSTATE_ENABLED : TBSTATE_CHECKED)) ? 1 : 0;
  }
  if (!found) IErReport(kErrInvalidMenuItem);
  return result;
}

}  // namespace qh
