// The drawing area's procedure: paints, resizes, keys and mouse buttons become
// messages for the program; while window snapshots are active it paints from its
// snapshot and records nothing.
#include <windows.h>
#include <windowsx.h>

#include <cstring>

#include "boxes.h"
#include "root_window.h"

namespace qh::win {

namespace {

MessageInfo PointerInfo(HWND hwnd) {
  MessageInfo info;
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(hwnd, &p);
  info.origin = 0;
  info.x = p.x;
  info.y = p.y;
  return info;
}

// A window's drawing area paints from its own snapshot; a drawing field of a dialog
// from its part of the dialog's.
void PaintFromSnapshot(HWND hwnd, int index) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  POINT from{0, 0};
  const WindowSnapshot* snap =
      index >= 0 ? &Windows().slots[index].snapshot : DialogSnapshotOf(hwnd, from);
  if (snap != nullptr && snap->bitmap) DrawSnapshot(dc, *snap, from);
  EndPaint(hwnd, &ps);
}

// Records a paint or resize; when the loop was not waiting for it, the window's
// pending slot keeps it too.
void RecordRedraw(HWND hwnd, UINT msg, int kind, const MessageInfo& info) {
  const int index = WindowIndexOf(hwnd);
  const bool wasWaiting = Messages().waiting;
  if (RecordMessage(kind, index, info) && !wasWaiting) KeepPending(index, kind, info, hwnd, msg);
}

LRESULT OnAreaPaint(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (SnapshotsActive()) {
    PaintFromSnapshot(hwnd, WindowIndexOf(hwnd));
    return 0;
  }
  RECT r;
  if (GetUpdateRect(hwnd, &r, FALSE)) {
    MessageInfo info;
    info.origin = 0;
    info.x = r.left;
    info.y = r.top;
    info.value1 = r.right - r.left;
    info.value2 = r.bottom - r.top;
    RecordRedraw(hwnd, msg, kExpose, info);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);  // erases with the white background
}

LRESULT OnAreaEraseBackground(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // While a box is up, what stands on the area must stay: the snapshot covers it.
  if (SnapshotsActive()) return 1;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT OnAreaSize(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (wParam == SIZE_MINIMIZED) return 0;
  ArrangeIconicWindows(hwnd);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  MessageInfo info;
  info.value1 = LOWORD(lParam);
  info.value2 = HIWORD(lParam);
  RecordRedraw(hwnd, msg, kResize, info);
  return 0;
}

void RecordKey(HWND hwnd, int code) {
  if (code == 0) return;
  MessageInfo info = PointerInfo(hwnd);
  info.value1 = code;
  RecordMessage(kKeyDown, WindowIndexOf(hwnd), info);
}

LRESULT OnAreaKeyDown(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Pair the key with the character the translation just queued for it, if any.
  int character = -1;
  MSG next;
  if (PeekMessageA(&next, hwnd, 0, 0, PM_NOREMOVE) && next.message == WM_CHAR &&
      PeekMessageA(&next, hwnd, WM_CHAR, WM_CHAR, PM_REMOVE))
    character = static_cast<unsigned char>(next.wParam);
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  RecordKey(hwnd, KeyCodeFor(static_cast<UINT>(wParam), character, shift, ctrl));
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The system's lower case of one character (the menu compares mnemonics so).
UINT_PTR LowerOf(int character) {
  return reinterpret_cast<UINT_PTR>(CharLowerA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(character))));
}

// Whether a character is the "&" mnemonic of an entry of a menu bar.
bool IsBarMnemonic(HMENU bar, int character) {
  const int count = GetMenuItemCount(bar);
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    GetMenuStringA(bar, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    const char* p = text;
    while ((p = std::strchr(p, '&')) != nullptr && p[1] == '&') p += 2;
    if (p && p[1] != '\0' && LowerOf(static_cast<unsigned char>(p[1])) == LowerOf(character)) return true;
  }
  return false;
}

// F10 and Alt with a key. Where the window has a menu bar, the keys the menu uses win:
// F10, and Alt with the mnemonic of a bar entry, open the menu and are not recorded,
// as a key taken by an accelerator is not; keyboard users reach the commands that way
// and one key press must not do two things. Every other Alt+key, and F10 where there
// is no menu bar, is recorded after the key table. Alt+F4 (close) and Alt+Space (the
// window menu) always stay the system's.
LRESULT OnAreaSysKeyDown(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const UINT vk = static_cast<UINT>(wParam);
  const bool alt = (HIWORD(lParam) & KF_ALTDOWN) != 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const HMENU bar = GetMenu(GetAncestor(hwnd, GA_ROOT));
  if (!alt) {
    if (vk != VK_F10 || bar) return DefWindowProcA(hwnd, msg, wParam, lParam);
    // Not passed on: the system would take the window menu on its release.
    RecordKey(hwnd, KeyCodeFor(vk, -1, shift, ctrl));
    return 0;
  }
  if (vk == VK_F4) return DefWindowProcA(hwnd, msg, wParam, lParam);
  int character = -1;
  MSG next;
  if (PeekMessageA(&next, hwnd, 0, 0, PM_NOREMOVE) && next.message == WM_SYSCHAR) {
    character = static_cast<unsigned char>(next.wParam);
    if (character == ' ' || (bar && IsBarMnemonic(bar, character)))
      return DefWindowProcA(hwnd, msg, wParam, lParam);  // the character opens the menu
    PeekMessageA(&next, hwnd, WM_SYSCHAR, WM_SYSCHAR, PM_REMOVE);
  }
  RecordKey(hwnd, KeyCodeFor(vk, character, shift, ctrl));
  // Still passed on, so that releasing Alt afterwards does not activate the menu bar.
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT OnAreaChar(HWND hwnd, WPARAM wParam) {
  // A character without a key press before it.
  RecordKey(hwnd, static_cast<unsigned char>(wParam));
  return 0;
}

LRESULT OnAreaMouse(HWND hwnd, UINT msg, LPARAM lParam, int kind) {
  if (kind == kMouseButDown) SetCapture(hwnd);
  if (kind == kMouseButUp) ReleaseCapture();
  MessageInfo info;
  info.origin = 0;
  info.value1 = kind == kMouseMove ? -1 : MouseButtonOf(msg);
  info.value2 = static_cast<std::int32_t>(GetMessageTime() / 10);
  info.x = GET_X_LPARAM(lParam);
  info.y = GET_Y_LPARAM(lParam);
  RecordMessage(kind, WindowIndexOf(hwnd), info);
  return 0;
}

}  // namespace

LRESULT CALLBACK DrawingAreaProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: return OnAreaPaint(hwnd, msg, wParam, lParam);
    case WM_ERASEBKGND: return OnAreaEraseBackground(hwnd, msg, wParam, lParam);
    case WM_SIZE: return OnAreaSize(hwnd, msg, wParam, lParam);
    case WM_KEYDOWN: return OnAreaKeyDown(hwnd, msg, wParam, lParam);
    case WM_CHAR: return OnAreaChar(hwnd, wParam);
    case WM_SYSKEYDOWN: return OnAreaSysKeyDown(hwnd, msg, wParam, lParam);
    case WM_QUERYNEWPALETTE: return RealiseWindowPalette(hwnd);
    case WM_PALETTECHANGED:
      // A change this window's own realisation caused needs nothing more.
      if (WindowIndexOf(reinterpret_cast<HWND>(wParam)) >= 0) return 0;
      return RealiseWindowPalette(hwnd);
    case WM_LBUTTONDOWN: case WM_MBUTTONDOWN: case WM_RBUTTONDOWN:
      return OnAreaMouse(hwnd, msg, lParam, kMouseButDown);
    case WM_LBUTTONUP: case WM_MBUTTONUP: case WM_RBUTTONUP:
      return OnAreaMouse(hwnd, msg, lParam, kMouseButUp);
    case WM_MOUSEMOVE: return OnAreaMouse(hwnd, msg, lParam, kMouseMove);
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace qh::win
