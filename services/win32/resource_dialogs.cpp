// Resource dialogs: IDlLoad, IDlPutString, IDlShow and IDlUnload over a table of at
// most 50 dialogs created hidden from their templates. A modal show runs a second
// instance from the same template, which takes over the loaded dialog's fields and
// hands them back when it ends, so the loaded dialog always holds what the user left;
// the pages of its tab fields it borrows as they are (dialog_tabs.cpp).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "boxes.h"
#include "core/dialog_sections.h"
#include "core/drawing_units.h"
#include "resource_dialogs.h"
#include "services/dialogs.h"
#include "services/errors.h"
#include "services/text.h"
#include "core/error_codes.h"

namespace qh {
namespace win {
namespace {

constexpr int kDialogMessage = 3;  // a push button of a modeless dialog, for the loop

// What WM_INITDIALOG receives: a dialog being loaded, or a modal run.
struct DialogStart {
  LoadedDialog* loading = nullptr;
  ModalRun* run = nullptr;
};

std::string TextOf(HWND h) {
  const int length = GetWindowTextLengthA(h);
  std::string text(static_cast<std::size_t>(std::max(0, length)) + 1, '\0');
  const int got = GetWindowTextA(h, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(0, got)));
  return text;
}

ModalRun* RunOf(HWND hwnd) {
  for (ModalRun* r : Dialogs().runs)
    if (r->hwnd == hwnd) return r;
  return nullptr;
}

// The modal run whose instance is `dialog` or shows it as a page, at any depth.
ModalRun* RunShowing(HWND dialog) {
  while (dialog) {
    if (ModalRun* run = RunOf(dialog)) return run;
    const LoadedDialog* page = DialogOfWindow(dialog);
    if (!page || page->pageOf == 0) return nullptr;
    dialog = GetParent(dialog);
  }
  return nullptr;
}

bool HasImageStyle(HWND control, bool& icon, bool& bitmap) {
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  icon = bitmap = false;
  if (ClassIs(control, "Button")) {
    icon = (style & BS_ICON) != 0;
    bitmap = (style & BS_BITMAP) != 0;
  } else if (ClassIs(control, "Static")) {
    icon = (style & SS_TYPEMASK) == SS_ICON;
    bitmap = (style & SS_TYPEMASK) == SS_BITMAP;
  }
  return icon || bitmap;
}

// What every instance of a dialog gets when it is created: text limits of the standard
// edit fields, the images of image buttons and statics, the spin controls, and the
// greyed size items of the system menu.
void SetUpFields(HWND dialog, std::vector<DialogField>* records) {
  const HINSTANCE instance = System().instance;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(c);
    DialogField field;
    field.id = id;
    if (ClassIs(c, "Edit")) {
      const bool multiLine = (GetWindowLongA(c, GWL_STYLE) & ES_MULTILINE) != 0;
      field.textLimit = multiLine ? 65535 : 32767;
      SendMessageA(c, EM_LIMITTEXT, static_cast<WPARAM>(field.textLimit), 0);
    }
    if (ClassIs(c, "INTEGERSPIN")) AttachSpin(c);
    bool icon = false, bitmap = false;
    if (HasImageStyle(c, icon, bitmap) && id > 0) {
      const UINT type = icon ? IMAGE_ICON : IMAGE_BITMAP;
      if (HANDLE image = LoadImageA(instance, MAKEINTRESOURCEA(id), type, 0, 0, LR_DEFAULTCOLOR)) {
        const UINT msg = ClassIs(c, "Button") ? BM_SETIMAGE : STM_SETIMAGE;
        SendMessageA(c, msg, type, reinterpret_cast<LPARAM>(image));
      }
    }
    if (records && id != 0 && id != -1 && id != 0xFFFF) records->push_back(field);
  }
  if (HMENU system = GetSystemMenu(dialog, FALSE)) {
    for (UINT item : {SC_RESTORE, SC_MAXIMIZE, SC_SIZE})
      EnableMenuItem(system, item, MF_BYCOMMAND | MF_GRAYED);
  }
}

void CopyList(HWND from, HWND to, bool combo) {
  const UINT count = combo ? CB_GETCOUNT : LB_GETCOUNT;
  const UINT length = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  const UINT get = combo ? CB_GETLBTEXT : LB_GETTEXT;
  const UINT add = combo ? CB_ADDSTRING : LB_ADDSTRING;
  SendMessageA(to, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  const LRESULT n = SendMessageA(from, count, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT len = SendMessageA(from, length, static_cast<WPARAM>(i), 0);
    std::string item(static_cast<std::size_t>(std::max<LRESULT>(0, len)) + 1, '\0');
    SendMessageA(from, get, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    SendMessageA(to, add, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  const LONG style = GetWindowLongA(from, GWL_STYLE);
  if (!combo && (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL))) {
    for (LRESULT i = 0; i < n; ++i)
      SendMessageA(to, LB_SETSEL, SendMessageA(from, LB_GETSEL, static_cast<WPARAM>(i), 0),
                   static_cast<LPARAM>(i));
  } else {
    SendMessageA(to, combo ? CB_SETCURSEL : LB_SETCURSEL,
                 static_cast<WPARAM>(SendMessageA(from, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0)), 0);
  }
}

// Labels and selection of a tab field; its pages move by themselves.
void CopyTabs(HWND from, HWND to) {
  SendMessageA(to, TCM_DELETEALLITEMS, 0, 0);
  const LRESULT n = SendMessageA(from, TCM_GETITEMCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    char label[256] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = label;
    item.cchTextMax = sizeof label;
    SendMessageA(from, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    SendMessageA(to, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(to, TCM_SETCURSEL, static_cast<WPARAM>(SendMessageA(from, TCM_GETCURSEL, 0, 0)), 0);
}

// Carries the contents and states of every field from one instance of a dialog to the
// other: texts, checks, list and combo items with their selection, tab labels and
// selection, trackbar and progress positions, text limits, and whether a field is
// enabled and visible. Embedded pages are not fields: they are moved, not copied.
void CopyFieldStates(HWND from, HWND to) {
  for (HWND c = GetWindow(from, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(c);
    if (id == 0 || id == -1 || id == 0xFFFF || DialogOfWindow(c)) continue;
    HWND t = GetDlgItem(to, id);
    if (!t || ClassOf(c) != ClassOf(t)) continue;
    const LONG style = GetWindowLongA(c, GWL_STYLE);
    bool icon = false, bitmap = false;
    if (ClassIs(c, "ListBox")) {
      CopyList(c, t, false);
    } else if (ClassIs(c, "ComboBox")) {
      CopyList(c, t, true);
      if ((style & 3) != CBS_DROPDOWNLIST) SetWindowTextA(t, TextOf(c).c_str());
    } else if (ClassIs(c, TRACKBAR_CLASSA)) {
      SendMessageA(t, TBM_SETRANGEMIN, FALSE, SendMessageA(c, TBM_GETRANGEMIN, 0, 0));
      SendMessageA(t, TBM_SETRANGEMAX, FALSE, SendMessageA(c, TBM_GETRANGEMAX, 0, 0));
      SendMessageA(t, TBM_SETPOS, TRUE, SendMessageA(c, TBM_GETPOS, 0, 0));
    } else if (ClassIs(c, WC_TABCONTROLA)) {
      CopyTabs(c, t);
    } else if (ClassIs(c, PROGRESS_CLASSA)) {
      PBRANGE range{};
      SendMessageA(c, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
      SendMessageA(t, PBM_SETRANGE32, static_cast<WPARAM>(range.iLow), range.iHigh);
      SendMessageA(t, PBM_SETPOS, static_cast<WPARAM>(SendMessageA(c, PBM_GETPOS, 0, 0)), 0);
    } else if (HasImageStyle(c, icon, bitmap)) {
      // The image was set up by each instance itself.
    } else {
      const std::string text = TextOf(c);
      if (text != TextOf(t)) SetWindowTextA(t, text.c_str());
      if (ClassIs(c, "Button")) SendMessageA(t, BM_SETCHECK, SendMessageA(c, BM_GETCHECK, 0, 0), 0);
      if (ClassIs(c, "Edit") || IsNumericField(c))
        SendMessageA(t, EM_LIMITTEXT, static_cast<WPARAM>(SendMessageA(c, EM_GETLIMITTEXT, 0, 0)), 0);
    }
    EnableWindow(t, (style & WS_DISABLED) == 0);
    const bool visible = (style & WS_VISIBLE) != 0;
    if (visible != ((GetWindowLongA(t, GWL_STYLE) & WS_VISIBLE) != 0))
      ShowWindow(t, visible ? SW_SHOWNA : SW_HIDE);
  }
}

// A push button was pressed in a modal instance or on one of its pages (or the system
// sent the cancel command); `buttonDialog` is the dialog in which the button lies.
void EndModalRun(ModalRun& run, int button, HWND buttonWindow, int buttonDialog) {
  HWND focus = GetFocus();
  const bool focusInside = focus && RunShowing(GetParent(focus)) == &run;
  if (focusInside && IsNumericField(focus) && !NumericFieldValid(focus)) {
    if (button != IDOK) {
      RestoreTextAtFocus(focus);
    } else if (OkChecksFields(run.hwnd)) {
      FieldBeep();
      SetFocus(focus);
      SendMessageA(focus, EM_SETSEL, 0, -1);
      return;
    }  // else the owner reads the text as it stands and says what is wrong with it
  }
  run.exitButton = button;
  run.exitFocus = (focusInside && focus != buttonWindow) ? GetDlgCtrlID(focus) : 0;
  run.exitDialog = buttonDialog;
  if (LoadedDialog* loaded = DialogOfId(run.resourceId)) {
    CopyFieldStates(run.hwnd, loaded->hwnd);
    loaded->fields = run.fields;
    loaded->exitButton = run.exitButton;
    loaded->exitFocus = run.exitFocus;
  }
  EndDialog(run.hwnd, button);
}

INT_PTR OnInitDialog(HWND dialog, LPARAM lParam) {
  const auto* start = reinterpret_cast<const DialogStart*>(lParam);
  if (!start) return TRUE;
  if (start->loading) {
    start->loading->hwnd = dialog;
    SetUpFields(dialog, &start->loading->fields);
    return FALSE;  // a hidden dialog takes no focus
  }
  ModalRun& run = *start->run;
  run.hwnd = dialog;
  SetUpFields(dialog, nullptr);
  if (LoadedDialog* loaded = DialogOfId(run.resourceId)) {
    SetWindowTextA(dialog, TextOf(loaded->hwnd).c_str());
    CopyFieldStates(loaded->hwnd, dialog);
    run.fields = loaded->fields;
    PlacePages(dialog, run.resourceId);
  }
  SetWindowPos(dialog, nullptr, run.x, run.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (run.focusField != 0) {
    if (HWND field = GetDlgItem(dialog, run.focusField)) {
      SetFocus(field);
      return FALSE;
    }
  }
  return TRUE;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const HWND control = reinterpret_cast<HWND>(lParam);
  bool press;
  if (control) {
    press = HIWORD(wParam) == BN_CLICKED && IsPushButton(control);
  } else {
    // Enter and Esc through the dialog manager, and the close box.
    press = HIWORD(wParam) == 0 && (id == IDOK || id == IDCANCEL);
  }
  if (!press) return FALSE;
  if (ModalRun* run = RunShowing(dialog)) {
    EndModalRun(*run, id, control, dialog == run->hwnd ? run->resourceId : DialogOfWindow(dialog)->resourceId);
    return TRUE;
  }
  // A shown modeless or semi-modal dialog ends nothing: the program hears of it, with
  // the page dialog the button lies on if it is one.
  if (LoadedDialog* loaded = DialogOfWindow(dialog)) {
    MessageInfo info;
    info.window = 0;
    info.value1 = id;
    info.value2 = loaded->resourceId;
    RecordMessage(kDialogMessage, 0, info);
  }
  return TRUE;
}

// A click on a tab (or a key on a tab field) selected another tab.
INT_PTR OnNotify(HWND dialog, const NMHDR& n) {
  if (n.code != static_cast<UINT>(TCN_SELCHANGE)) return FALSE;
  const ModalRun* run = RunOf(dialog);
  const LoadedDialog* loaded = run ? nullptr : DialogOfWindow(dialog);
  const int dialogId = run ? run->resourceId : loaded ? loaded->resourceId : 0;
  if (dialogId != 0) ShowSelectedPage(dialog, dialogId, static_cast<int>(n.idFrom));
  return FALSE;
}

// However a modal instance ends, the pages it borrowed go back to the loaded dialog
// before they would be destroyed with it.
void OnDestroy(HWND dialog) {
  const ModalRun* run = RunOf(dialog);
  if (const LoadedDialog* loaded = run ? DialogOfId(run->resourceId) : nullptr)
    PlacePages(loaded->hwnd, run->resourceId);
}

INT_PTR OnControlColour(HWND control, HDC dc) {
  DialogField* record = FieldRecordOf(control);
  if (!record || !record->coloured || !record->backBrush) return FALSE;
  SetTextColor(dc, record->textColour);
  SetBkColor(dc, record->backColour);
  return reinterpret_cast<INT_PTR>(record->backBrush);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: return OnInitDialog(dialog, lParam);
    case WM_COMMAND: return OnCommand(dialog, wParam, lParam);
    case WM_NOTIFY: return OnNotify(dialog, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_DESTROY: OnDestroy(dialog); return FALSE;
    case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLORLISTBOX:
      return OnControlColour(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    default: return FALSE;
  }
}

// A template that shows itself when created would not be loaded hidden: a copy
// without WS_VISIBLE is used. Also tells whether it makes a child window.
std::vector<unsigned char> HiddenTemplate(const unsigned char* bytes, DWORD size, bool& child) {
  std::vector<unsigned char> copy(bytes, bytes + size);
  const bool extended = size >= 4 && bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF && bytes[3] == 0xFF;
  const std::size_t at = extended ? 12 : 0;
  child = false;
  if (copy.size() < at + 4) return copy;
  DWORD style;
  std::memcpy(&style, copy.data() + at, 4);
  child = (style & WS_CHILD) != 0;
  style &= ~static_cast<DWORD>(WS_VISIBLE);
  std::memcpy(copy.data() + at, &style, 4);
  return copy;
}

void ApplySectionsResource(LoadedDialog& dialog) {
  const std::span<const unsigned char> bytes = ResourceBytes(dialog.resourceId, RT_RCDATA);
  if (bytes.empty()) return;
  const DialogSections sections = ParseDialogSections(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!sections.Empty()) ApplyDialogSections(dialog, sections);
}

// Every other top-level window of the program, for the semi-modal lock.
template <typename F>
void ForOtherWindows(HWND except, F f) {
  for (const WindowSlot& w : Windows().slots)
    if (w.InUse() && w.frame != except) f(w.frame);
  for (const LoadedDialog& d : Dialogs().loaded)
    if (d.hwnd != except && d.shown && !d.childTemplate) f(d.hwnd);
}

void DeleteBrushes(LoadedDialog& d) {
  for (DialogField& f : d.fields) {
    if (f.backBrush) DeleteObject(f.backBrush);
    f.backBrush = nullptr;
  }
}

// Hides a dialog and gives the focus back (IDlUnload's and IWnStop's part).
void HideDialog(LoadedDialog& d) {
  DialogState& dialogs = Dialogs();
  if (d.shown && d.mode == kDialogSemiModal) {
    if (dialogs.semiModalCount > 0) --dialogs.semiModalCount;
    ForOtherWindows(d.hwnd, [](HWND h) { EnableWindow(h, TRUE); });
  }
  if (IsWindow(d.hwnd)) ShowWindow(d.hwnd, SW_HIDE);
  if (d.shown && d.owner && IsWindow(d.owner)) SetFocus(d.owner);
  std::erase(dialogs.modeless, d.hwnd);
  d.shown = false;
}

void CloseAllDialogs() {
  DialogState& dialogs = Dialogs();
  for (LoadedDialog& d : dialogs.loaded) {
    HideDialog(d);
    if (IsWindow(d.hwnd)) DestroyWindow(d.hwnd);
    DeleteBrushes(d);
    DropSnapshot(d.snapshot);
  }
  dialogs.loaded.clear();
  dialogs.semiModalCount = 0;
  dialogs.modeless.clear();
}

HWND CurrentDialogWindow() {
  LoadedDialog* d = CurrentDialog();
  return d ? d->hwnd : nullptr;
}

void InstallHooks() {
  Dialogs().closeAll = &CloseAllDialogs;
  SetCurrentDialogLookup(&CurrentDialogWindow);
}

// Where a dialog shows: at the given corner, or, for -1, centred on the screen (in the
// drawing area for a dialog embedded there as a child).
POINT PlaceDialog(const LoadedDialog& d, int x, int y) {
  RECT r{};
  GetWindowRect(d.hwnd, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const WindowState& table = Windows();
  int areaWidth = table.screenWidth > 0 ? table.screenWidth : GetSystemMetrics(SM_CXSCREEN);
  int areaHeight = table.screenHeight > 0 ? table.screenHeight : GetSystemMetrics(SM_CYSCREEN);
  if (d.childTemplate) {
    RECT area{};
    GetClientRect(GetParent(d.hwnd), &area);
    areaWidth = area.right;
    areaHeight = area.bottom;
  }
  POINT p{x, y};
  if (x == -1) p.x = (areaWidth - width) / 2;
  if (y == -1) p.y = (areaHeight - height) / 2;
  return p;
}

void ShowModal(LoadedDialog& d, POINT at, int focusField) {
  DialogState& dialogs = Dialogs();
  ModalRun run;
  run.resourceId = d.resourceId;
  run.exitDialog = d.resourceId;
  run.x = at.x;
  run.y = at.y;
  run.focusField = focusField;
  DialogStart start;
  start.run = &run;
  TakeSnapshots();
  HWND owner = nullptr;
  {
    ModalLock lock;
    owner = lock.Owner();
    dialogs.runs.push_back(&run);
    DialogBoxParamA(System().instance, MAKEINTRESOURCEA(d.resourceId), owner, DialogProc,
                    reinterpret_cast<LPARAM>(&start));
    dialogs.runs.erase(std::remove(dialogs.runs.begin(), dialogs.runs.end(), &run),
                       dialogs.runs.end());
  }
  if (owner && IsWindow(owner)) SetFocus(owner);
  ReleaseSnapshots();
  dialogs.items[kInfoExitButton] = run.exitButton;
  dialogs.items[kInfoExitFocus] = run.exitFocus;
  dialogs.items[kInfoExitDialog] = run.exitDialog;
}

void ShowModeless(LoadedDialog& d, POINT at, int focusField, int mode) {
  DialogState& dialogs = Dialogs();
  SetWindowPos(d.hwnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  d.owner = d.childTemplate ? GetParent(d.hwnd) : RootFrameWindow();
  d.mode = mode;
  d.shown = true;
  ShowWindow(d.hwnd, SW_SHOW);
  HWND field = focusField != 0 ? GetDlgItem(d.hwnd, focusField) : nullptr;
  SetFocus(field ? field : d.hwnd);
  HWND focus = GetFocus();
  d.exitFocus = (focus && GetParent(focus) == d.hwnd) ? GetDlgCtrlID(focus) : 0;
  std::erase(dialogs.modeless, d.hwnd);
  dialogs.modeless.push_back(d.hwnd);
  if (mode == kDialogSemiModal) {
    d.reenable = d.owner;
    ForOtherWindows(d.hwnd, [](HWND h) { EnableWindow(h, FALSE); });
    ++dialogs.semiModalCount;
  }
}

}  // namespace

LoadedDialog* DialogOfWindow(HWND hwnd) {
  for (LoadedDialog& d : Dialogs().loaded)
    if (d.hwnd == hwnd) return &d;
  return nullptr;
}

LoadedDialog* DialogOfId(int id) {
  for (LoadedDialog& d : Dialogs().loaded)
    if (d.resourceId == id) return &d;
  return nullptr;
}

LoadedDialog* CurrentDialog() {
  const int id = Dialogs().items[kInfoCurrentDialog];
  return id != 0 ? DialogOfId(id) : nullptr;
}

HWND CurrentDialogField(int id, LoadedDialog** dialog) {
  LoadedDialog* current = CurrentDialog();
  if (!current) {
    IErReport(kErrNoDialogs);
    return nullptr;
  }
  HWND field = GetDlgItem(current->hwnd, id);
  if (!field) {
    IErReport(kErrInvalidField);
    return nullptr;
  }
  if (dialog) *dialog = current;
  return field;
}

DialogField* FieldRecord(LoadedDialog& dialog, int id) {
  for (DialogField& f : dialog.fields)
    if (f.id == id) return &f;
  return nullptr;
}

bool OkChecksFields(HWND dialog) {
  const ModalRun* run = RunShowing(dialog);
  const LoadedDialog* loaded = run ? DialogOfId(run->resourceId) : DialogOfWindow(dialog);
  return !loaded || loaded->okChecksFields;
}

DialogField* FieldRecordOf(HWND field) {
  HWND dialog = GetParent(field);
  const int id = GetDlgCtrlID(field);
  std::vector<DialogField>* records = nullptr;
  if (ModalRun* run = RunOf(dialog)) records = &run->fields;
  else if (LoadedDialog* loaded = DialogOfWindow(dialog)) records = &loaded->fields;
  if (!records) return nullptr;
  for (DialogField& f : *records)
    if (f.id == id) return &f;
  return nullptr;
}

void FieldBeep() {
  ++Dialogs().beepCount;
  MessageBeep(MB_OK);
}

std::string ClassOf(HWND h) {
  char name[64] = {};
  GetClassNameA(h, name, sizeof name);
  return name;
}

bool ClassIs(HWND h, const char* name) { return lstrcmpiA(ClassOf(h).c_str(), name) == 0; }

std::span<const unsigned char> ResourceBytes(int id, LPCSTR type) {
  const HINSTANCE instance = System().instance;
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), type);
  HGLOBAL data = found ? LoadResource(instance, found) : nullptr;
  const auto* bytes = data ? static_cast<const unsigned char*>(LockResource(data)) : nullptr;
  if (!bytes) return {};
  return {bytes, SizeofResource(instance, found)};
}

bool IsPushButton(HWND control) {
  if (!ClassIs(control, "Button")) return false;
  const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

}  // namespace win

void IDlLoad(int dialogId) {
  win::DialogState& dialogs = win::Dialogs();
  const HINSTANCE instance = win::System().instance;
  win::InstallHooks();
  if (win::DialogOfId(dialogId)) {
    dialogs.items[kInfoCurrentDialog] = dialogId;
    return;
  }
  if (static_cast<int>(dialogs.loaded.size()) >= win::kDialogLimit) {
    IErReport(kErrLoadDialog);
    return;
  }
  const std::span<const unsigned char> bytes = win::ResourceBytes(dialogId, RT_DIALOG);
  if (bytes.empty()) {
    IErReport(kErrLoadDialog);
    return;
  }
  win::LoadedDialog entry;
  entry.resourceId = dialogId;
  const std::vector<unsigned char> hidden =
      win::HiddenTemplate(bytes.data(), static_cast<DWORD>(bytes.size()), entry.childTemplate);
  win::DialogStart start;
  start.loading = &entry;
  HWND parent = win::Windows().slots[0].drawingArea;
  HWND dialog = CreateDialogIndirectParamA(
      instance, reinterpret_cast<LPCDLGTEMPLATEA>(hidden.data()), parent, win::DialogProc,
      reinterpret_cast<LPARAM>(&start));
  if (!dialog) {
    IErReport(kErrLoadDialog);
    return;
  }
  entry.hwnd = dialog;
  dialogs.loaded.push_back(std::move(entry));
  win::ApplySectionsResource(dialogs.loaded.back());
  dialogs.items[kInfoCurrentDialog] = dialogId;
}

void IDlPutString(int fieldId, std::string_view text) {
  HWND field = win::CurrentDialogField(fieldId);
  if (!field) return;
  const std::string value(Trimmed(text));
  SetWindowTextA(field, value.c_str());
  InvalidateRect(field, nullptr, TRUE);
}

void IDlCheckOnOk(bool check) {
  if (win::LoadedDialog* d = win::CurrentDialog()) {
    d->okChecksFields = check;
  } else {
    IErReport(kErrNoDialogs);
  }
}

void IDlShow(int x, int y, std::optional<int> focusField, std::optional<int> mode) {
  win::LoadedDialog* d = win::CurrentDialog();
  if (!d) {
    IErReport(kErrNoDialogs);
    return;
  }
  const int focus = focusField.value_or(0);
  int how = mode.value_or(kDialogModeless);
  RECT area{};
  if (HWND rootArea = win::Windows().slots[0].drawingArea) GetClientRect(rootArea, &area);
  const int px = x == -1 ? -1 : UnitsToPixels(x, area.right);
  const int py = y == -1 ? -1 : UnitsToPixels(y, area.bottom);
  if (d->shown) {
    RedrawWindow(d->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return;
  }
  if (how == kDialogModeless && win::Dialogs().semiModalCount > 0) {
    how = kDialogSemiModal;
    IErReport(kErrDialogMode);
  }
  if (d->childTemplate) {
    if (how != kDialogModeless) {
      how = kDialogModeless;
      IErReport(kErrDialogMode);
    }
    HWND root = win::RootFrameWindow();
    if (!root || !IsWindowVisible(root)) {
      IErReport(kErrRootHidden);
      return;
    }
  }
  if (how != kDialogModal && how != kDialogSemiModal) how = kDialogModeless;
  const POINT at = win::PlaceDialog(*d, px, py);
  if (how == kDialogModal) {
    win::ShowModal(*d, at, focus);
  } else {
    win::ShowModeless(*d, at, focus, how);
  }
}

void IDlUnload(std::optional<int>) {
  win::DialogState& dialogs = win::Dialogs();
  win::LoadedDialog* d = win::CurrentDialog();
  if (!d) {
    IErReport(kErrNoDialogs);
    return;
  }
  win::HideDialog(*d);
  win::ReturnPages(d->resourceId);
  if (IsWindow(d->hwnd)) DestroyWindow(d->hwnd);
  win::DeleteBrushes(*d);
  win::DropSnapshot(d->snapshot);
  const int id = d->resourceId;
  dialogs.loaded.erase(std::remove_if(dialogs.loaded.begin(), dialogs.loaded.end(),
                                      [id](const win::LoadedDialog& e) { return e.resourceId == id; }),
                       dialogs.loaded.end());
  dialogs.items[kInfoCurrentDialog] = 0;
}

}  // namespace qh
