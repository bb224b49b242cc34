// IWnGetMessage: pending redraws first, else wait for a recorded message; then the
// conversion of positions and areas to drawing units. Also the key table and the
// pending-slot rule shared with the drawing area.
#include <windows.h>

#include <vector>

#include "core/drawing_units.h"
#include "root_window.h"
#include "services/messages.h"

namespace qh {

namespace win {

int KeyCodeFor(UINT vk, int character, bool shift, bool ctrl) {
  const int s = ctrl ? 8 : (shift ? 4 : 0);
  const int f = ctrl ? 40 : (shift ? 20 : 0);
  switch (vk) {
    case VK_UP: return 258 + s;
    case VK_DOWN: return 259 + s;
    case VK_RIGHT: return 260 + s;
    case VK_LEFT: return 261 + s;
    case VK_PRIOR: return 262;
    case VK_NEXT: return 263;
    case VK_HOME: return 270;
    case VK_END: case VK_SELECT: return 271;
    case VK_INSERT: return 272;
    case VK_DELETE: return 273;
    case VK_CLEAR: return 285;
    case VK_SUBTRACT: return 290;
    case VK_DECIMAL: return 291;
    case VK_ADD: case VK_SEPARATOR: return 292;
    case VK_DIVIDE: return 293;
    case VK_MULTIPLY: return 294;
    case VK_SNAPSHOT: return 300;
    case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT:
    case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL:
    case VK_MENU: case VK_LMENU: case VK_RMENU:
    case VK_PAUSE: case VK_CAPITAL: case VK_NUMLOCK: case VK_SCROLL:
      return 0;
    case VK_TAB:
      if (shift && !ctrl) return 274;
      break;
    default:
      break;
  }
  // The keypad digits deliver their own codes even where they also yield a digit.
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return 280 + static_cast<int>(vk - VK_NUMPAD0);
  if (vk >= VK_F1 && vk <= VK_F20) return 301 + static_cast<int>(vk - VK_F1) + f;
  if (character >= 0) return character;
  return static_cast<int>(vk);
}

void KeepPending(int window, int kind, const MessageInfo& info, HWND hwnd, UINT msg) {
  if (window < 0 || window >= kWindowCount || SnapshotsActive()) return;
  // The message the loop itself is dispatching reaches the program directly.
  const MSG* dispatching = Messages().dispatching;
  if (dispatching && dispatching->hwnd == hwnd && dispatching->message == msg) return;
  PendingRedraw& slot = Windows().slots[window].pending;
  if (kind == kExpose && slot.kind == kResize) return;  // a resize redraws everything anyway
  slot.kind = kind;
  slot.info = info;
  slot.info.window = window;
  slot.info.time = static_cast<std::int32_t>(GetMessageTime());
}

}  // namespace win

namespace {

using win::Messages;
using win::MessageState;
using win::Windows;
using win::WindowState;

// An Expose of the window's whole drawing area, in pixels.
void WholeArea(int window, MessageInfo& info) {
  RECT r{};
  if (window >= 0 && window < win::kWindowCount && Windows().slots[window].drawingArea)
    GetClientRect(Windows().slots[window].drawingArea, &r);
  info.x = 0;
  info.y = 0;
  info.value1 = r.right;
  info.value2 = r.bottom;
}

bool TakePending(int& kind, MessageInfo& info) {
  for (int i = 0; i < win::kWindowCount; ++i) {
    win::PendingRedraw& slot = Windows().slots[i].pending;
    if (slot.Empty()) continue;
    kind = slot.kind;
    info = slot.info;
    slot.Clear();
    if (kind == kExpose) WholeArea(i, info);
    return true;
  }
  return false;
}

// The accelerator table for a message: its window's if that window has a menu, else
// the root window's if the root has one.
bool TranslateAccelerators(MSG& msg) {
  WindowState& table = Windows();
  const int index = win::WindowIndexOf(msg.hwnd);
  const win::WindowSlot* w = nullptr;
  if (index >= 0 && table.slots[index].menu) w = &table.slots[index];
  else if (table.slots[0].menu) w = &table.slots[0];
  return w && w->accelerators && TranslateAcceleratorA(w->frame, w->accelerators, &msg);
}

// The shown modeless dialog that the message's window is or lies in; null if none.
HWND ModelessDialogOf(HWND target) {
  if (!target) return nullptr;
  const std::vector<HWND>& shown = win::Dialogs().modeless;
  for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
    if (IsWindow(*it) && (*it == target || IsChild(*it, target))) return *it;
  }
  return nullptr;
}

void WaitForRecorded() {
  MessageState& m = Messages();
  m.waiting = true;
  MSG msg;
  while (m.waiting) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      // A quit message or a broken queue: waiting on would spin or hang, so the
      // program is asked to close instead (and a quit stays visible to later loops).
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      m.waiting = false;
      m.recorded.kind = kCloseRequest;
      m.recorded.info = MessageInfo{};
      m.recorded.info.window = 0;
      return;
    }
    const HWND modeless = ModelessDialogOf(msg.hwnd);
    if (modeless && IsDialogMessageA(modeless, &msg)) continue;
    if (TranslateAccelerators(msg)) continue;
    TranslateMessage(&msg);
    m.dispatching = &msg;
    DispatchMessageA(&msg);
    m.dispatching = nullptr;
  }
}

void ConvertToUnits(int kind, MessageInfo& info) {
  win::DrawingState& drawing = win::Drawing();
  const int w = drawing.width;
  const int h = drawing.height;
  switch (kind) {
    case kKeyDown: case kMouseButDown: case kMouseButUp: case kMouseMove:
      if (info.origin == 0) {
        info.x = PixelsToUnits(info.x, w);
        info.y = PixelsToUnits(info.y, h);
      }
      // Graphics coordinates are the drawing units themselves.
      info.gx = static_cast<float>(info.x);
      info.gy = static_cast<float>(info.y);
      break;
    case kExpose: {
      const int right = info.x + info.value1 - 1;
      const int bottom = info.y + info.value2 - 1;
      info.x = PixelsToUnits(info.x, w);
      info.y = PixelsToUnits(info.y, h);
      info.value1 = PixelsToUnits(right, w) - info.x;
      info.value2 = PixelsToUnits(bottom, h) - info.y;
      info.gx = static_cast<float>(info.x);
      info.gy = static_cast<float>(info.y);
      info.gx2 = static_cast<float>(info.value1);
      info.gy2 = static_cast<float>(info.value2);
      break;
    }
    case kResize:
      if (info.window == Windows().current) {
        drawing.width = info.value1;
        drawing.height = info.value2;
      }
      break;
    default:
      break;
  }
}

}  // namespace

void IWnGetMessage(int& kind, MessageInfo& info) {
  if (!TakePending(kind, info)) {
    WaitForRecorded();
    const win::RecordedMessage& recorded = Messages().recorded;
    kind = recorded.kind;
    info = recorded.info;
    if (kind == kResize || (kind == kExpose && info.origin == 0)) {
      if (info.window >= 0 && info.window < win::kWindowCount) {
        win::PendingRedraw& slot = Windows().slots[info.window].pending;
        const bool heldExpose = slot.kind == kExpose;
        slot.Clear();
        if (heldExpose && kind == kExpose) WholeArea(info.window, info);
      }
    }
  }
  ConvertToUnits(kind, info);
}

}  // namespace qh
