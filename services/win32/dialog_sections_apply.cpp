// The extra sections of a loaded dialog, applied to its fields: ranges, list items,
// check states, trackbar settings, text lengths, colours, and last the tab fields with
// their page dialogs (dialog_tabs.cpp).
//
// Not applied: "[Grids]". This layer has no grid fields to put them on (grids are drawn
// by a graphics library the program does not use). The section is parsed, so a dialog
// that has it still loads; its entries are left unused.
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <string>

#include "resource_dialogs.h"

namespace qh::win {
namespace {

int Clamp(double v) {
  if (!(v == v)) return 0;  // NaN
  if (v > 2147483647.0) return 2147483647;
  if (v < -2147483647.0) return -2147483647;
  return static_cast<int>(std::lround(v));
}

void ApplyRange(LoadedDialog& d, HWND field, const RangeEntry& e) {
  if (ClassIs(field, PROGRESS_CLASSA)) {
    SendMessageA(field, PBM_SETRANGE32, static_cast<WPARAM>(Clamp(e.low)), Clamp(e.high));
    return;
  }
  if (ClassIs(field, TRACKBAR_CLASSA)) {
    SendMessageA(field, TBM_SETRANGEMIN, FALSE, Clamp(e.low));
    SendMessageA(field, TBM_SETRANGEMAX, TRUE, Clamp(e.high));
    return;
  }
  if (!IsNumericField(field)) return;
  if (DialogField* record = FieldRecord(d, e.field)) {
    record->lower = e.low;
    record->upper = e.high;
  }
  if (HWND spin = SpinOf(field); spin && e.low <= e.high) {
    const std::string text = [&] {
      char buffer[128] = {};
      GetWindowTextA(field, buffer, sizeof buffer);
      return std::string(buffer);
    }();
    SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(Clamp(e.low)), Clamp(e.high));
    SetWindowTextA(field, text.c_str());  // the range must not rewrite the field
  }
}

void ApplyMenu(HWND field, const MenuEntry& e) {
  const bool list = ClassIs(field, "ListBox");
  const bool combo = ClassIs(field, "ComboBox");
  if (!list && !combo) return;
  SendMessageA(field, list ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
  for (const std::string& item : e.items)
    SendMessageA(field, list ? LB_ADDSTRING : CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  const WPARAM selected = static_cast<WPARAM>(e.selected >= 1 ? e.selected - 1 : -1);
  SendMessageA(field, list ? LB_SETCURSEL : CB_SETCURSEL, selected, 0);
}

void ApplyTrackbar(HWND field, const TrackbarEntry& e) {
  if (!ClassIs(field, TRACKBAR_CLASSA)) return;
  SendMessageA(field, TBM_SETTICFREQ, static_cast<WPARAM>(e.values[0]), 0);
  SendMessageA(field, TBM_SETLINESIZE, 0, e.values[1]);
  SendMessageA(field, TBM_SETPAGESIZE, 0, e.values[2]);
  if (!(GetWindowLongA(field, GWL_STYLE) & TBS_ENABLESELRANGE)) return;
  if (e.values[3] == e.values[4]) {
    SendMessageA(field, TBM_CLEARSEL, TRUE, 0);
  } else {
    SendMessageA(field, TBM_SETSEL, TRUE, MAKELPARAM(e.values[3], e.values[4]));
  }
}

void ApplyLength(LoadedDialog& d, HWND field, const LengthEntry& e) {
  if (ClassIs(field, "ComboBox")) {
    SendMessageA(field, CB_LIMITTEXT, static_cast<WPARAM>(e.length), 0);
  } else if (ClassIs(field, "Edit") || IsNumericField(field)) {
    SendMessageA(field, EM_LIMITTEXT, static_cast<WPARAM>(e.length), 0);
  } else {
    return;
  }
  if (DialogField* record = FieldRecord(d, e.field)) record->textLimit = e.length;
}

COLORREF Colour(const std::array<int, 3>& rgb) {
  auto part = [](int v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v); };
  return RGB(part(rgb[0]), part(rgb[1]), part(rgb[2]));
}

void ApplyColours(LoadedDialog& d, const ColourEntry& e) {
  DialogField* record = FieldRecord(d, e.field);
  if (!record) return;
  record->coloured = true;
  record->textColour = Colour(e.first);
  record->backColour = Colour(e.second);
  if (record->backBrush) DeleteObject(record->backBrush);
  record->backBrush = CreateSolidBrush(record->backColour);
}

}  // namespace

void ApplyDialogSections(LoadedDialog& d, const DialogSections& sections) {
  auto field = [&d](int id) { return GetDlgItem(d.hwnd, id); };
  for (const RangeEntry& e : sections.ranges)
    if (HWND f = field(e.field)) ApplyRange(d, f, e);
  for (const MenuEntry& e : sections.menus)
    if (HWND f = field(e.field)) ApplyMenu(f, e);
  for (const CheckEntry& e : sections.checks)
    if (field(e.field)) CheckDlgButton(d.hwnd, e.field, static_cast<UINT>(e.state));
  for (const TrackbarEntry& e : sections.trackbars)
    if (HWND f = field(e.field)) ApplyTrackbar(f, e);
  for (const LengthEntry& e : sections.lengths)
    if (HWND f = field(e.field)) ApplyLength(d, f, e);
  for (const ColourEntry& e : sections.colours)
    if (field(e.field)) ApplyColours(d, e);
  InvalidateRect(d.hwnd, nullptr, TRUE);
  // Last, and by id: loading the pages adds to the table, which may move `d`.
  const int dialogId = d.resourceId;
  for (const TabEntry& e : sections.tabs) ApplyTabs(dialogId, e);
}

}  // namespace qh::win
