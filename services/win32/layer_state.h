// The Win32 layer's whole state, one struct per concern: the window table, the
// drawing state of the current window, the message loop, the resource dialogs, the
// operating-system services, and what the layer takes from the system. One instance
// for the process, reached through the small accessors at the end; everything runs
// on one thread, so no locks. No other file of the layer keeps state of its own. The
// settings read at start (Settings()) and the error routine's values are not the
// Win32 layer's: they are portable and stay in the core.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "os_services.h"
#include "services/messages.h"
#include "services/text.h"

namespace qh::win {

constexpr int kWindowCount = 21;      // 0 is the root window, 1..20 child windows
constexpr int kToolbarSlots = 4;      // top, left, right, bottom
constexpr int kStatusPartLimit = 255;
constexpr int kKindCount = 16;        // message kinds 1..16
constexpr int kDialogItems = 5;       // IDlInfo items 1..5
constexpr int kColourCount = 18;
constexpr int kStatusBarChildId = 999;
constexpr int kDrawingAreaChildId = -1;
constexpr std::size_t kCommandLineCacheLength = 1024;  // IOsArgument's copy of the command line

// Dialog state items 1..5 ([0] unused), the kind switches by kind ([0] unused), and
// the blank-padded copy of the command line.
using DialogItems = std::array<std::int32_t, kDialogItems + 1>;
using KindSwitches = std::array<bool, kKindCount + 1>;
using CommandLineCache = std::array<char, kCommandLineCacheLength>;

enum ToolbarPosition : int { kToolbarTop = 0, kToolbarLeft = 1, kToolbarRight = 2, kToolbarBottom = 3 };

// Status part border styles as the caller gives them.
enum StatusBorder : int { kBorderNone = 0, kBorderSunken = 1, kBorderRaised = 2 };

// An off-screen copy of a drawing area, shared by nested modal boxes: the window
// repaints from it while the count is above zero.
struct WindowSnapshot {
  HBITMAP bitmap = nullptr;
  int useCount = 0;
  int width = 0;   // pixel size of the copy
  int height = 0;
};

struct ToolbarSlot {
  HWND hwnd = nullptr;
  int width = 0;                  // outer width: the stored width of a left/right toolbar
  int height = 0;                 // outer height: h + 12 for a top/bottom toolbar
};

struct TooltipEntry {
  int commandId = 0;
  FixedText<80> text;
};

// One message held back for a window while the program is busy: a kind and the
// slots 1 to 6 and 11 of its MessageInfo. kind 0 means empty.
struct PendingRedraw {
  int kind = 0;
  MessageInfo info;
  bool Empty() const { return kind == 0; }
  void Clear() { kind = 0; info = MessageInfo{}; }
};

// Menu path table entry: a command id and the 1-based positions that reach it.
struct MenuPath {
  int id = 0;
  std::vector<int> positions;
};

struct WindowSlot {
  HWND frame = nullptr;
  HWND drawingArea = nullptr;
  HWND statusBar = nullptr;
  HMENU menu = nullptr;
  HACCEL accelerators = nullptr;
  std::vector<MenuPath> menuPaths;  // loaded from the RCDATA resource of the menu's id
  std::array<ToolbarSlot, kToolbarSlots> toolbars{};
  std::vector<TooltipEntry> tooltips;
  std::array<int, kStatusPartLimit> statusStyles{};  // border per part (caller's values)
  PendingRedraw pending;
  WindowSnapshot snapshot;

  bool InUse() const { return frame != nullptr; }
  bool HasToolbar() const {
    for (const ToolbarSlot& t : toolbars)
      if (t.hwnd) return true;
    return false;
  }
};

struct DrawingState {
  int width = 0;   // drawing size: the current drawing area's client size in pixels
  int height = 0;
  HDC dc = nullptr;  // held for the life of the root window
  std::array<COLORREF, kColourCount> colours{};
  int foreground = 0;
  int background = 15;
  bool paletteDisplay = false;  // a 256-entry palette display: match colours to it
  int paletteSize = 16;
  HPALETTE palette = nullptr;  // the window's own palette there, selected into `dc`
  // Font settings and the font made for them (family 0 is the stock font: nothing made).
  int fontFamily = 0;
  int fontWeight = FW_NORMAL;
  bool fontItalic = false;
  int fontSize = 0;
  HFONT font = nullptr;
  int fontMadeFamily = -1;  // the settings `font` was made with
  int fontMadeWeight = 0;
  bool fontMadeItalic = false;
  int fontMadeSize = 0;
  bool underline = false;
  int textX = 0;  // current text position in drawing units
  int textY = 0;
};

// One field of a loaded resource dialog. A range is in force only while
// lower <= upper, so a new field has none.
struct DialogField {
  int id = 0;
  double lower = 1000.0;
  double upper = -1000.0;
  int textLimit = 0;  // edit fields: the limit set at load time or by "[Lengths]"
  // "[Colours]": text and background colour, and the brush painting the latter.
  bool coloured = false;
  COLORREF textColour = 0;
  COLORREF backColour = 0;
  HBRUSH backBrush = nullptr;
};

constexpr int kDialogLimit = 50;

// A tab field of a loaded dialog and the dialogs it shows as pages, one per tab in
// tab order (0 where a page could not be loaded).
struct TabField {
  int field = 0;
  std::vector<int> pages;
};

// What a dialog embedded as a page had before: it gets it back when it leaves.
struct PageHome {
  LONG style = 0;
  LONG exStyle = 0;
  int width = 0;
  int height = 0;
};

// One entry of the dialog table: a dialog created hidden from its template by
// IDlLoad, alive until IDlUnload or IWnStop.
struct LoadedDialog {
  int resourceId = 0;
  HWND hwnd = nullptr;
  bool shown = false;
  int exitButton = 0;
  int exitFocus = 0;
  int mode = 0;          // 1 modal, 2 modeless, 3 semi-modal while shown
  HWND owner = nullptr;  // owns it while shown
  HWND reenable = nullptr;
  bool childTemplate = false;  // the template makes it a child of the drawing area
  bool okChecksFields = true;  // false: OK ends a run whatever its numeric fields hold
  std::vector<DialogField> fields;
  std::vector<TabField> tabs;  // "[Tabs]": its tab fields with their pages
  // While a box is up, of a shown dialog that holds a drawing field: its drawing fields
  // repaint from this copy of its client area.
  WindowSnapshot snapshot;
  int pageOf = 0;              // the dialog holding it as a page; 0 when it is none's
  PageHome home;               // while it is a page
};

// A modal run: the second instance of a loaded dialog while it is up.
struct ModalRun {
  int resourceId = 0;
  HWND hwnd = nullptr;
  int x = -1, y = -1;  // final position in screen pixels
  int focusField = 0;
  int exitButton = 0;
  int exitFocus = 0;
  int exitDialog = 0;  // the dialog, or page dialog, in which the ending button lies
  std::vector<DialogField> fields;
};

// The last message recorded by a window procedure.
struct RecordedMessage {
  int kind = 0;
  MessageInfo info;
};

// The window table: the root window (slot 0), the child windows, the current one.
struct WindowState {
  bool rootOpen = false;
  int current = 0;
  std::array<WindowSlot, kWindowCount> slots{};
  // Screen size in pixels; the first IWnOpenRoot measures it.
  int screenWidth = 0;
  int screenHeight = 0;
  // Snapshots are active while a modal box or common dialog is up (counted).
  int snapshotDepth = 0;
  // The menu item read last and its state. A program may read one item for every
  // record it writes; the system never changes a check mark or a greyed state by
  // itself, so the answer holds until the layer changes or replaces a menu.
  struct MenuRead {
    HMENU menu = nullptr;
    int itemId = 0;
    UINT state = 0;
  } lastMenuRead;
  // The first file of the last drop onto the root window (kFilesDropped).
  std::string droppedFile;
};

// The message loop: the last message recorded, whether the loop waits for one, the
// system message it is dispatching, and the kind switches.
struct MessageState {
  RecordedMessage recorded;
  bool waiting = false;
  const MSG* dispatching = nullptr;
  KindSwitches kindOn{};
};

struct DialogState {
  DialogItems items{};  // read by IDlInfo
  // The dialog table (at most kDialogLimit entries; the current one is the entry
  // whose id is item kInfoCurrentDialog), and the modal runs under way, innermost last.
  std::vector<LoadedDialog> loaded;
  std::vector<ModalRun*> runs;
  // The shown modeless and semi-modal dialogs in the order shown, the latest last: the
  // loop hands each the messages of its own windows, and the latest owns a box.
  std::vector<HWND> modeless;
  int semiModalCount = 0;
  // Beeps given by the dialog fields (the numeric fields' refusals): counted so that
  // tests can hear them.
  int beepCount = 0;
  // Numeric fields: the text each held when it last got the focus, and a flag set
  // while an invalid field takes the focus back, so that the field it is taken from
  // is not checked in turn (two invalid fields would otherwise pass it to and fro).
  std::map<HWND, std::string> textAtFocus;
  bool refocusing = false;
  // Filled by the resource dialogs at IDlLoad: the routine that hides and destroys
  // all dialogs (IWnStop calls it), and the lookup of the current dialog's window for
  // IDlInfo items 6 to 9 (without one the open modeless dialog is taken; tests put
  // their own in).
  void (*closeAll)() = nullptr;
  HWND (*currentWindowLookup)() = nullptr;
};

// The operating-system services.
struct OsState {
  // IOsArgument's blank-padded copy of the command line, read once on first use.
  CommandLineCache commandLine{};
  bool commandLineRead = false;
  // The platform identifier, asked for on the first IOsExecute; 0 marks a platform
  // that cannot start a process and wait for it, -1 not asked yet.
  int platform = -1;
  // IOsExitCode: the status of the program the last IOsExecute waited for; -1 none.
  int lastExitCode = -1;
  // IWnHelp's help engine and program launcher; null means the system's (WinHelpA,
  // WinExec). Tests put their own in to watch the requests.
  os::HelpEngineFn helpEngine = nullptr;
  os::LaunchFn launcher = nullptr;
};

// What the layer takes from the system: its module, the standard controls'
// procedures under the ones it wraps, and the libraries it loads once.
struct SystemState {
  HINSTANCE instance = nullptr;
  WNDPROC editProc = nullptr;     // captured at IWnOpenRoot, under the numeric fields
  WNDPROC toolbarProc = nullptr;  // under every toolbar: the same for all of them
  HMODULE commonControls = nullptr;
  HMODULE richEdit = nullptr;
};

struct LayerState {
  WindowState windows;
  DrawingState drawing;
  MessageState messages;
  DialogState dialogs;
  OsState os;
  SystemState system;
};

LayerState& Layer();
inline WindowState& Windows() { return Layer().windows; }
// Called wherever the layer changes a menu's items or a window's menu.
inline void ForgetMenuRead() { Windows().lastMenuRead = {}; }
inline DrawingState& Drawing() { return Layer().drawing; }
inline MessageState& Messages() { return Layer().messages; }
inline DialogState& Dialogs() { return Layer().dialogs; }
inline OsState& Os() { return Layer().os; }
inline SystemState& System() { return Layer().system; }

// The default kind switches (also what the state starts with).
void SetDefaultKindSwitches();
// The switches IWnStop leaves: all on, then 5, 6, 10, 11 and 12 off.
void SetStopKindSwitches();
bool KindOn(int kind);

// The modeless dialog shown last and still shown; null if none.
HWND LatestModeless();

// True while window snapshots are active (a modal box or common dialog is up): the
// drawing area then paints from its snapshot and records nothing.
bool SnapshotsActive();
void BeginSnapshots();  // the snapshot code calls these around a box
void EndSnapshots();

// Index 0..20 of the window whose frame, drawing area, status bar or toolbar `hwnd`
// is (or lies inside); -1 if none.
int WindowIndexOf(HWND hwnd);

// The window whose menu the menu operations address: the current window if it has
// a menu, else the root window.
int MenuWindow();

// Records one message from a window procedure: nothing if the kind is switched off;
// otherwise stores it and ends the loop's wait. Returns whether it was recorded.
bool RecordMessage(int kind, int window, const MessageInfo& info);

}  // namespace qh::win
