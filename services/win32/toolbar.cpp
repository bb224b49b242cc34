// Toolbars from a button list resource and the bitmap of the same id, at one of four
// positions of a window, and the tooltips they ask the frame for.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "root_window.h"
#include "services/errors.h"
#include "services/window.h"
#include "core/error_codes.h"

namespace qh {

namespace {

using win::System;
using win::ToolbarSlot;
using win::Windows;
using win::WindowSlot;

// The toolbar never sizes itself: the frame layout places it.
LRESULT CALLBACK ToolbarWrapProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return CallWindowProcA(System().toolbarProc, hwnd, msg, wParam, lParam);
}

int SlotOfPosition(std::optional<int> position) {
  switch (position.value_or(1)) {
    case 2: return win::kToolbarLeft;
    case 3: return win::kToolbarRight;
    case 4: return win::kToolbarBottom;
    default: return win::kToolbarTop;
  }
}

BYTE ButtonState(const WindowSlot& w, int commandId) {
  win::MenuItemRef ref;
  if (!win::FindMenuItem(w, commandId, ref)) return TBSTATE_ENABLED;
  BYTE result = 0;
  if (ref.state & MF_CHECKED) result |= TBSTATE_CHECKED;
  if (!(ref.state & MF_GRAYED)) result |= TBSTATE_ENABLED;
  return result;
}

void RemoveToolbar(WindowSlot& w, int slot) {
  ToolbarSlot& t = w.toolbars[slot];
  if (!t.hwnd) return;
  const HWND old = t.hwnd;
  t = ToolbarSlot{};
  DestroyWindow(old);
  if (!w.HasToolbar()) w.tooltips.clear();
}

// The buttons of a toolbar's word list: its entries run up to the first pair of zero
// words (or the resource's end), a zero entry being a separator. `images` counts the
// buttons that show an image.
std::vector<TBBUTTON> ToolbarButtons(const WindowSlot& w, const std::vector<std::uint16_t>& words,
                                     bool vertical, int& images) {
  std::vector<TBBUTTON> buttons;
  for (std::size_t i = 2; i < words.size(); ++i) {
    if (words[i] == 0 && (i + 1 >= words.size() || words[i + 1] == 0)) break;
    TBBUTTON b{};
    b.idCommand = words[i];
    if (words[i] == 0) {
      b.fsStyle = TBSTYLE_SEP;
      b.iBitmap = 0;  // the platform's separator width
    } else {
      b.iBitmap = images++;
      b.fsStyle = TBSTYLE_BUTTON;
      b.fsState = ButtonState(w, words[i]);
    }
    if (vertical) b.fsState |= TBSTATE_WRAP;  // one column
    buttons.push_back(b);
  }
  return buttons;
}

// Builds the toolbar; false when the list is missing or the control cannot be made.
bool BuildToolbar(int window, int slot, int resourceId) {
  WindowSlot& w = Windows().slots[window];
  const std::vector<std::uint16_t> words = win::LoadWordResource(resourceId);
  if (words.size() < 2) return false;
  const bool vertical = slot == win::kToolbarLeft || slot == win::kToolbarRight;
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                      CCS_NOPARENTALIGN | CCS_NODIVIDER;
  HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", style, 0, 0, 1, 1, w.frame,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(resourceId)),
                             System().instance, nullptr);
  if (!bar) return false;
  const auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ToolbarWrapProc)));
  if (!System().toolbarProc) System().toolbarProc = previous;
  // Status bar and toolbars stand above the drawing area.
  if (w.drawingArea)
    SetWindowPos(w.drawingArea, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  const int imageWidth = words[0];
  const int imageHeight = words[1];
  SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(imageWidth, imageHeight));
  SendMessageA(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(imageWidth + 6, imageHeight + 6));

  ToolbarSlot& t = w.toolbars[slot];
  t.hwnd = bar;
  t.width = vertical ? imageWidth + 9 : 0;
  t.height = vertical ? 0 : imageHeight + 12;

  int images = 0;
  const std::vector<TBBUTTON> buttons = ToolbarButtons(w, words, vertical, images);
  TBADDBITMAP bitmap{System().instance, static_cast<UINT_PTR>(resourceId)};
  SendMessageA(bar, TB_ADDBITMAP, static_cast<WPARAM>(images), reinterpret_cast<LPARAM>(&bitmap));
  if (!buttons.empty())
    SendMessageA(bar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));

  std::size_t total = 0;
  for (const ToolbarSlot& other : w.toolbars)
    if (other.hwnd) total += static_cast<std::size_t>(SendMessageA(other.hwnd, TB_BUTTONCOUNT, 0, 0));
  if (w.tooltips.size() < total) w.tooltips.resize(total);
  return true;
}

}  // namespace

namespace win {

bool AnswerTooltip(int window, NMHDR* header) {
  if (window < 0 || !header) return false;
  if (header->code != TTN_GETDISPINFOA && header->code != TTN_GETDISPINFOW) return false;
  const int id = static_cast<int>(header->idFrom);
  std::string text;
  bool fromTable = false;
  for (const TooltipEntry& e : Windows().slots[window].tooltips) {
    if (e.commandId == id && id != 0) {
      text = e.text.TrimmedString();
      fromTable = true;
      break;
    }
  }
  if (!fromTable) {
    char buffer[80] = {};
    if (LoadStringA(System().instance, static_cast<UINT>(id), buffer, sizeof buffer) > 0) text = buffer;
  }
  if (header->code == TTN_GETDISPINFOA) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    const std::size_t n = std::min(text.size(), sizeof info->szText - 1);
    std::memcpy(info->szText, text.data(), n);
    info->szText[n] = '\0';
    info->lpszText = info->szText;
    info->hinst = nullptr;
  } else {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                      info->szText, 79);
    info->szText[std::max(0, n)] = L'\0';
    info->lpszText = info->szText;
    info->hinst = nullptr;
  }
  return true;
}

}  // namespace win

void IWnToolbar(int resourceId, std::optional<int> window, std::optional<int> position) {
  const int index = window.value_or(0);
  if (index < 0 || index >= win::kWindowCount || !Windows().slots[index].frame) {
    IErReport(kErrInvalidWindow);
    return;
  }
  WindowSlot& w = Windows().slots[index];
  const int slot = SlotOfPosition(position);
  const int oldWidth = w.toolbars[slot].width;
  const int oldHeight = w.toolbars[slot].height;
  RemoveToolbar(w, slot);
  if (resourceId != 0 && !BuildToolbar(index, slot, resourceId)) {
    RemoveToolbar(w, slot);
    IErReport(kErrMenuResource);
  }
  // A new toolbar is placed even when it has the size of the one it replaced: it
  // was created 1 by 1 pixels. The drawing area then keeps its size (no Resize).
  const ToolbarSlot& now = w.toolbars[slot];
  const bool sizeChanged = now.width != oldWidth || now.height != oldHeight;
  if ((sizeChanged || now.hwnd) && !IsIconic(w.frame)) win::RelayoutFrame(index);
}

}  // namespace qh
