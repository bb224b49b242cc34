// The root window: opening it (classes, frame, status bar, drawing area, menu tables,
// colours and font) and the frame procedure with its layout.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "core/drawing_units.h"
#include "resource_dialogs.h"
#include "root_window.h"
#include "services/messages.h"
#include "services/text.h"
#include "services/window.h"

namespace qh {

namespace {

using win::System;
using win::SystemState;
using win::Windows;
using win::WindowSlot;
using win::WindowState;

constexpr char kFrameClass[] = "PANEWARD";
constexpr char kDrawingClass[] = "PANECLIENT";
constexpr char kFatalCaption[] = "Paneward Window";
constexpr DWORD kDrawingAreaStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

[[noreturn]] void FatalWindowFailure(const char* text) {
  MessageBoxA(nullptr, text, kFatalCaption, MB_OK | MB_ICONHAND);
  ExitProcess(0);
}

// Numeric dialog fields: registered here so that dialogs loaded after the root window
// find their classes; their procedure (numeric_fields.cpp) filters what is typed.
void RegisterNumericFieldClasses() {
  SystemState& s = System();
  WNDCLASSA edit{};
  if (!GetClassInfoA(nullptr, "EDIT", &edit)) return;
  s.editProc = edit.lpfnWndProc;
  for (const char* name : {"INTEGEREDIT", "INTEGERSPIN", "REALEDIT", "DOUBLEEDIT"}) {
    WNDCLASSA wc = edit;
    wc.lpfnWndProc = win::NumericFieldProc;
    wc.hInstance = s.instance;
    wc.lpszClassName = name;
    wc.style &= ~CS_GLOBALCLASS;
    WNDCLASSA existing{};
    if (!GetClassInfoA(s.instance, name, &existing)) RegisterClassA(&wc);
  }
}

void RegisterWindowClasses(int menuId) {
  const SystemState& s = System();
  UnregisterClassA(kFrameClass, s.instance);
  WNDCLASSA frame{};
  frame.lpfnWndProc = win::FrameProc;
  frame.hInstance = s.instance;
  frame.hIcon = LoadIconA(s.instance, "ICON1");
  frame.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  frame.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  frame.lpszMenuName = menuId != 0 ? MAKEINTRESOURCEA(menuId) : nullptr;
  frame.lpszClassName = kFrameClass;
  RegisterClassA(&frame);

  WNDCLASSA existing{};
  if (!GetClassInfoA(s.instance, kDrawingClass, &existing)) {
    WNDCLASSA area{};
    area.style = CS_HREDRAW | CS_VREDRAW;
    area.lpfnWndProc = win::DrawingAreaProc;
    area.hInstance = s.instance;
    area.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    area.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    area.lpszClassName = kDrawingClass;
    RegisterClassA(&area);
  }
  if (!GetClassInfoA(s.instance, kFrameClass, &existing) ||
      !GetClassInfoA(s.instance, kDrawingClass, &existing))
    FatalWindowFailure("Failed to register class - aborting.");
}

void LoadCommonControls() {
  SystemState& s = System();
  if (!s.commonControls) s.commonControls = LoadLibraryA("comctl32.dll");
  INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  if (!InitCommonControlsEx(&icc)) InitCommonControls();
}

void FillColourTable(win::DrawingState& d) {
  static constexpr COLORREF kFixed[16] = {
      RGB(0, 0, 0),       RGB(191, 0, 0),   RGB(191, 191, 0), RGB(0, 191, 0),
      RGB(0, 191, 191),   RGB(0, 0, 191),   RGB(191, 0, 191), RGB(191, 191, 191),
      RGB(64, 64, 64),    RGB(255, 0, 0),   RGB(255, 255, 0), RGB(0, 255, 0),
      RGB(0, 255, 255),   RGB(0, 0, 255),   RGB(255, 0, 255), RGB(255, 255, 255)};
  std::copy(std::begin(kFixed), std::end(kFixed), d.colours.begin());
  d.colours[16] = GetSysColor(COLOR_WINDOWTEXT);
  d.colours[17] = GetSysColor(COLOR_WINDOW);
  d.foreground = 0;
  d.background = 15;
}

}  // namespace

namespace win {

void BuildWindowPalette(DrawingState& d) {
  ReleaseWindowPalette(d);
  const int size = d.paletteSize;
  std::vector<unsigned char> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * static_cast<std::size_t>(size));
  auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(size);
  const int fromTable = size < kColourCount ? size : kColourCount;
  for (int i = 0; i < size; ++i) {
    COLORREF c;
    if (i < fromTable) {
      c = d.colours[static_cast<std::size_t>(i)];
    } else {
      // The entries beyond the table: an even grey ramp for graphics colours.
      const int level = 255 * (i - fromTable + 1) / (size - fromTable + 1);
      c = RGB(level, level, level);
    }
    logical->palPalEntry[i] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
  }
  d.palette = CreatePalette(logical);
  if (!d.palette || !d.dc) return;
  SelectPalette(d.dc, d.palette, FALSE);
  RealizePalette(d.dc);
}

LRESULT RealiseWindowPalette(HWND area) {
  DrawingState& d = Drawing();
  if (!d.palette || !d.dc) return 0;
  SelectPalette(d.dc, d.palette, FALSE);
  const UINT remapped = RealizePalette(d.dc);
  if (remapped > 0) InvalidateRect(area, nullptr, TRUE);
  return remapped > 0 ? TRUE : FALSE;
}

void ReleaseWindowPalette(DrawingState& d) {
  if (!d.palette) return;
  if (d.dc) SelectPalette(d.dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), TRUE);
  DeleteObject(d.palette);
  d.palette = nullptr;
}

}  // namespace win

namespace {

// Makes the frame taller by the status bar's height; a centred frame moves up by
// half of it so that it stays centred.
void GrowFrameForStatusBar(HWND frame, int statusHeight, bool keepTop) {
  RECT r;
  GetWindowRect(frame, &r);
  const int top = keepTop ? r.top : r.top - statusHeight / 2;
  SetWindowPos(frame, nullptr, r.left, top, r.right - r.left, r.bottom - r.top + statusHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- frame procedure handlers ---

LRESULT OnFrameCreate(HWND hwnd, LPARAM lParam) {
  const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
  const int index = static_cast<int>(reinterpret_cast<INT_PTR>(cs->lpCreateParams));
  if (index >= 0 && index < win::kWindowCount) Windows().slots[index].frame = hwnd;
  return TRUE;
}

LRESULT OnFrameSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (wParam != SIZE_MINIMIZED) {
    const int index = win::WindowIndexOf(hwnd);
    if (index >= 0) win::LayoutFrame(index, LOWORD(lParam), HIWORD(lParam));
  }
  return 0;
}

LRESULT OnFrameCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const UINT code = HIWORD(wParam);
  if (code != 0 && code != 1) return DefWindowProcA(hwnd, msg, wParam, lParam);
  const int index = win::WindowIndexOf(hwnd);
  if (lParam != 0) {
    // A toolbar button: repaint the toolbar so the button comes back up at once.
    const HWND sender = reinterpret_cast<HWND>(lParam);
    InvalidateRect(sender, nullptr, TRUE);
    UpdateWindow(sender);
  }
  MessageInfo info;
  info.value1 = LOWORD(wParam);
  win::RecordMessage(kMenuSelect, index, info);
  return 0;
}

// Explorer's drop: the program hears of it like a command and asks for the first name.
LRESULT OnFrameDropFiles(HWND hwnd, WPARAM wParam) {
  const HDROP drop = reinterpret_cast<HDROP>(wParam);
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::string first;
  if (count > 0) {
    first.resize(DragQueryFileA(drop, 0, nullptr, 0));
    DragQueryFileA(drop, 0, first.data(), static_cast<UINT>(first.size() + 1));
  }
  DragFinish(drop);
  if (count == 0) return 0;
  Windows().droppedFile = first;
  MessageInfo info;
  info.value1 = static_cast<std::int32_t>(count);
  win::RecordMessage(kFilesDropped, win::WindowIndexOf(hwnd), info);
  return 0;
}

LRESULT OnFrameClose(HWND hwnd) {
  // The program decides: the window stays open until IWnStop.
  win::RecordMessage(kCloseRequest, win::WindowIndexOf(hwnd), MessageInfo{});
  return 0;
}


LRESULT OnFrameButtonDown(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const bool nonClient = msg == WM_NCLBUTTONDOWN || msg == WM_NCMBUTTONDOWN || msg == WM_NCRBUTTONDOWN;
  if (!(nonClient && wParam == HTMINBUTTON)) {
    MessageInfo info;
    info.value1 = win::MouseButtonOf(msg);
    win::RecordMessage(kFrameButtonDown, win::WindowIndexOf(hwnd), info);
  }
  // Default handling still moves, sizes and closes the frame.
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT OnFrameTimer(HWND hwnd, WPARAM wParam) {
  KillTimer(hwnd, wParam);  // timers fire once
  MessageInfo info;
  info.value1 = static_cast<std::int32_t>(wParam);
  win::RecordMessage(kTimerExpired, win::WindowIndexOf(hwnd), info);
  return 0;
}

LRESULT OnFrameSetFocus(HWND hwnd) {
  const int index = win::WindowIndexOf(hwnd);
  if (index >= 0 && Windows().slots[index].drawingArea) SetFocus(Windows().slots[index].drawingArea);
  return 0;
}

LRESULT OnFrameNotify(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (win::AnswerTooltip(win::WindowIndexOf(hwnd), reinterpret_cast<NMHDR*>(lParam))) return 0;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT OnFramePalette(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int index = win::WindowIndexOf(hwnd);
  if (index >= 0 && Windows().slots[index].drawingArea)
    return SendMessageA(Windows().slots[index].drawingArea, msg, wParam, lParam);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT OnFrameDestroy(HWND hwnd) {
  const int index = win::WindowIndexOf(hwnd);
  if (index < 0) return 0;
  WindowSlot& w = Windows().slots[index];
  win::ForgetMenuRead();
  w.menu = nullptr;
  w.accelerators = nullptr;  // tables from resources need no destroying
  w.menuPaths.clear();
  w.toolbars = {};
  w.tooltips.clear();
  return 0;
}

LRESULT OnFrameNcDestroy(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  for (WindowSlot& w : Windows().slots) {
    if (w.frame != hwnd) continue;
    w.frame = nullptr;
    w.drawingArea = nullptr;
    w.statusBar = nullptr;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

namespace win {

int MouseButtonOf(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_NCLBUTTONDOWN: return 1;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_NCMBUTTONDOWN: return 2;
    default: return 3;
  }
}


LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE:
      OnFrameCreate(hwnd, lParam);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_SIZE: return OnFrameSize(hwnd, wParam, lParam);
    case WM_COMMAND: return OnFrameCommand(hwnd, msg, wParam, lParam);
    case WM_CLOSE: return OnFrameClose(hwnd);
    case WM_DROPFILES: return OnFrameDropFiles(hwnd, wParam);
    case WM_LBUTTONDOWN: case WM_MBUTTONDOWN: case WM_RBUTTONDOWN:
    case WM_NCLBUTTONDOWN: case WM_NCMBUTTONDOWN: case WM_NCRBUTTONDOWN:
      return OnFrameButtonDown(hwnd, msg, wParam, lParam);
    case WM_TIMER: return OnFrameTimer(hwnd, wParam);
    case WM_SETFOCUS: return OnFrameSetFocus(hwnd);
    case WM_NOTIFY: return OnFrameNotify(hwnd, msg, wParam, lParam);
    case WM_PALETTECHANGED: case WM_QUERYNEWPALETTE:
      return OnFramePalette(hwnd, msg, wParam, lParam);
    case WM_DESTROY: return OnFrameDestroy(hwnd);
    case WM_NCDESTROY: return OnFrameNcDestroy(hwnd, msg, wParam, lParam);
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

void LayoutFrame(int window, int clientWidth, int clientHeight) {
  WindowSlot& w = Windows().slots[window];
  int left = 0, top = 0, right = clientWidth, bottom = clientHeight;
  if (w.statusBar) {
    SendMessageA(w.statusBar, WM_SIZE, 0, 0);  // it places itself at the bottom
    InvalidateRect(w.statusBar, nullptr, TRUE);
    RECT r;
    GetWindowRect(w.statusBar, &r);
    bottom -= r.bottom - r.top;
  }
  constexpr UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE;
  if (const ToolbarSlot& t = w.toolbars[kToolbarTop]; t.hwnd) {
    SetWindowPos(t.hwnd, nullptr, 0, top, clientWidth, t.height, kPlace);
    top += t.height;
  }
  if (const ToolbarSlot& t = w.toolbars[kToolbarBottom]; t.hwnd) {
    bottom -= t.height;
    SetWindowPos(t.hwnd, nullptr, 0, bottom, clientWidth, t.height, kPlace);
  }
  if (const ToolbarSlot& t = w.toolbars[kToolbarLeft]; t.hwnd) {
    SetWindowPos(t.hwnd, nullptr, left, top, t.width, std::max(0, bottom - top), kPlace);
    left += t.width;
  }
  if (const ToolbarSlot& t = w.toolbars[kToolbarRight]; t.hwnd) {
    right -= t.width;
    SetWindowPos(t.hwnd, nullptr, right, top, t.width, std::max(0, bottom - top), kPlace);
  }
  if (w.drawingArea)
    MoveWindow(w.drawingArea, left, top, std::max(0, right - left), std::max(0, bottom - top), TRUE);
}

void RelayoutFrame(int window) {
  WindowSlot& w = Windows().slots[window];
  if (!w.frame || IsIconic(w.frame)) return;
  RECT client;
  GetClientRect(w.frame, &client);
  LayoutFrame(window, client.right, client.bottom);
  RefreshDrawingSize(window);
}

void RefreshDrawingSize(int window) {
  const WindowState& table = Windows();
  if (window != table.current || !table.slots[window].drawingArea) return;
  RECT r;
  GetClientRect(table.slots[window].drawingArea, &r);
  DrawingState& d = Drawing();
  d.width = r.right;
  d.height = r.bottom;
}

std::vector<std::uint16_t> LoadWordResource(int id) {
  const std::span<const unsigned char> bytes = ResourceBytes(id, RT_RCDATA);
  std::vector<std::uint16_t> words(bytes.size() / 2);
  for (std::size_t i = 0; i < words.size(); ++i)
    words[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return words;
}

std::vector<MenuPath> ParseMenuPaths(const std::vector<std::uint16_t>& words) {
  std::vector<MenuPath> paths;
  std::size_t i = 0;
  // A table cut short by its resource's end stops there rather than reading past it.
  while (i < words.size() && words[i] != 0) {
    MenuPath p;
    p.id = words[i++];
    while (i < words.size() && words[i] != 0) p.positions.push_back(words[i++]);
    ++i;  // the entry's closing 0
    if (!p.positions.empty()) paths.push_back(std::move(p));
  }
  return paths;
}

bool IsDrawingAreaClass(HWND hwnd) {
  char name[32] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return lstrcmpiA(name, kDrawingClass) == 0;
}

}  // namespace win

namespace {

struct FrameStyle {
  DWORD style = 0;
  DWORD exStyle = 0;
};

FrameStyle FrameStyleOf(std::int32_t flags) {
  FrameStyle f;
  f.style = WS_CAPTION | WS_CLIPCHILDREN;
  if (flags & kSysMenu) f.style |= WS_SYSMENU;
  if (flags & kMinButton) f.style |= WS_MINIMIZEBOX;
  if (flags & kMaxButton) f.style |= WS_MAXIMIZEBOX;
  if (!(flags & kFixedSize)) f.style |= WS_THICKFRAME;
  if (flags & kMaximised) f.style |= WS_MAXIMIZE;
  f.exStyle = (flags & kAlwaysOnTop) ? WS_EX_TOPMOST : 0;
  return f;
}

// The frame's place and size: the drawing area gets the size asked for (80% of the
// screen when none), and -1 centres on the screen.
RECT FrameRect(const RootWindowSpec& rootSpec, const FrameStyle& f) {
  const WindowState& table = Windows();
  const int width = rootSpec.width < 1 ? table.screenWidth * 80 / 100 : rootSpec.width;
  const int height = rootSpec.height < 1 ? table.screenHeight * 80 / 100 : rootSpec.height;
  RECT outer{0, 0, width, height};
  AdjustWindowRectEx(&outer, f.style, FALSE, f.exStyle);
  AdjustWindowRectEx(&outer, kDrawingAreaStyle, rootSpec.menuId != 0, 0);
  const int frameWidth = outer.right - outer.left;
  const int frameHeight = outer.bottom - outer.top;
  const int x = rootSpec.x < 0 ? (table.screenWidth - frameWidth) / 2 : rootSpec.x;
  const int y = rootSpec.y < 0 ? (table.screenHeight - frameHeight) / 2 : rootSpec.y;
  return {x, y, x + frameWidth, y + frameHeight};
}

// The status bar at the frame's foot, which grows the frame by its height (keeping the
// top where it was placed); its height, 0 without one.
int CreateStatusBar(WindowSlot& root, const RootWindowSpec& rootSpec, int frameWidth) {
  const std::int32_t flags = rootSpec.flags;
  if (!(flags & kStatusBar)) return 0;
  DWORD sbStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  if (!(flags & kFixedSize)) sbStyle |= SBARS_SIZEGRIP;
  root.statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", sbStyle, 0, 0, frameWidth, 10, root.frame,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(win::kStatusBarChildId)),
                                   System().instance, nullptr);
  if (!root.statusBar) return 0;
  RECT r;
  GetWindowRect(root.statusBar, &r);
  const int statusHeight = r.bottom - r.top;
  GrowFrameForStatusBar(root.frame, statusHeight, rootSpec.y >= 0 || (flags & kMaximised));
  SendMessageA(root.statusBar, WM_SIZE, 0, 0);
  return statusHeight;
}

HWND CreateDrawingArea(HWND frame, int statusHeight) {
  RECT client;
  GetClientRect(frame, &client);
  return CreateWindowExA(0, kDrawingClass, "", kDrawingAreaStyle, 0, 0, client.right,
                         std::max(0L, client.bottom - statusHeight), frame,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(win::kDrawingAreaChildId)),
                         System().instance, nullptr);
}

// The frame with its status bar and drawing area; ends the program when the system
// refuses the frame or the area.
void CreateRootWindows(WindowSlot& root, const RootWindowSpec& rootSpec) {
  const FrameStyle f = FrameStyleOf(rootSpec.flags);
  const RECT place = FrameRect(rootSpec, f);
  const std::string title(rootSpec.title.Trim());
  root = WindowSlot{};
  root.frame = CreateWindowExA(f.exStyle, kFrameClass, title.c_str(), f.style, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                               System().instance, reinterpret_cast<LPVOID>(static_cast<INT_PTR>(0)));
  root.statusStyles.fill(0);
  if (!root.frame) FatalWindowFailure("Failed to create window - aborting.");
  // Files dropped from Explorer open as File > Open would (kFilesDropped).
  DragAcceptFiles(root.frame, TRUE);
  const int statusHeight = CreateStatusBar(root, rootSpec, place.right - place.left);
  root.drawingArea = CreateDrawingArea(root.frame, statusHeight);
  if (!root.drawingArea) FatalWindowFailure("Failed to create window - aborting.");
}

// The drawing's device context, held for the life of the window, its size, colours
// and palette.
void SetUpDrawing(win::DrawingState& d, HWND area) {
  d.dc = GetDC(area);
  SetBkMode(d.dc, TRANSPARENT);
  SetTextAlign(d.dc, TA_BASELINE);
  RECT areaRect;
  GetClientRect(area, &areaRect);
  d.width = areaRect.right;
  d.height = areaRect.bottom;
  FillColourTable(d);
  d.paletteDisplay = (GetDeviceCaps(d.dc, RASTERCAPS) & RC_PALETTE) && GetDeviceCaps(d.dc, SIZEPALETTE) == 256;
  if (d.paletteDisplay) win::BuildWindowPalette(d);
}

void LoadMenuResources(WindowSlot& root, int menuId) {
  win::ForgetMenuRead();
  root.menu = GetMenu(root.frame);
  if (menuId == 0) return;
  root.accelerators = LoadAcceleratorsA(System().instance, MAKEINTRESOURCEA(menuId));
  root.menuPaths = win::ParseMenuPaths(win::LoadWordResource(menuId));
}

void ResetTextState(win::DrawingState& d) {
  d.textX = 0;
  d.textY = 0;
  d.fontFamily = 0;
  d.fontWeight = FW_NORMAL;
  d.fontItalic = false;
  d.underline = false;
}

}  // namespace

void IWnOpenRoot(const RootWindowSpec& rootSpec, std::optional<int> paletteSize) {
  WindowState& table = Windows();
  SystemState& system = System();
  win::DrawingState& d = win::Drawing();
  if (table.rootOpen) return;
  if (table.screenWidth <= 0 || table.screenHeight <= 0) {
    table.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    table.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  }
  const bool hidden = rootSpec.flags & kHidden;
  const int palette = paletteSize.value_or(16);
  d.paletteSize = (palette == 16 || palette == 32 || palette == 64 || palette == 128) ? palette : 16;

  RegisterWindowClasses(rootSpec.menuId);
  LoadCommonControls();
  WindowSlot& root = table.slots[0];
  CreateRootWindows(root, rootSpec);
  if (!hidden) {
    ShowWindow(root.frame, (rootSpec.flags & kMaximised) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    ValidateRect(root.drawingArea, nullptr);
  }
  SetUpDrawing(d, root.drawingArea);
  LoadMenuResources(root, rootSpec.menuId);

  RegisterNumericFieldClasses();
  if (!system.richEdit) system.richEdit = LoadLibraryA("riched32.dll");

  for (WindowSlot& w : table.slots) w.pending.Clear();
  if (!hidden) SetFocus(root.drawingArea);

  table.rootOpen = true;
  table.current = 0;
  ResetTextState(d);
}

void IWnDroppedFile(std::span<char> name) { StoreText(name, win::Windows().droppedFile); }

}  // namespace qh
