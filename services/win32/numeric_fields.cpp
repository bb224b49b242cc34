// The numeric dialog fields: the four edit classes that take only the characters of a
// number as typed, the check of a field's text when the user leaves it, and putting
// numbers into fields and reading them back (IDlPutReal, IDlPutDouble, IDlPutInteger,
// IDlGetReal).
#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <string>

#include "core/error_state.h"
#include "core/numeric_text.h"
#include "resource_dialogs.h"
#include "services/dialogs.h"
#include "services/errors.h"
#include "services/numbers.h"
#include "services/text.h"
#include "core/error_codes.h"

namespace qh {
namespace win {
namespace {

constexpr UINT kRefocusMessage = WM_APP + 0x51;
constexpr char kSpinProperty[] = "QH_SPIN";

std::string FieldText(HWND field, int limit) {
  std::string text(static_cast<std::size_t>(limit) + 1, '\0');
  const int got = GetWindowTextA(field, text.data(), limit + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

LRESULT CallEdit(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC edit = System().editProc;
  return edit ? CallWindowProcA(edit, hwnd, msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT OnChar(HWND field, NumericFieldKind kind, WPARAM wParam, LPARAM lParam) {
  const int typed = FilterTypedCharacter(kind, static_cast<int>(wParam & 0xFF));
  if (typed < 0) {
    FieldBeep();
    return 0;
  }
  if (typed == kSelectAllCharacter) {
    SendMessageA(field, EM_SETSEL, 0, -1);
    return 0;
  }
  return CallEdit(field, WM_CHAR, static_cast<WPARAM>(typed), lParam);
}

// Leaving a field for another field of its dialog checks it; moving to a push button
// other than OK does not (such a button may well mean "never mind").
void OnKillFocus(HWND field, HWND next) {
  if (Dialogs().refocusing || !next) return;
  HWND dialog = GetParent(field);
  if (!dialog || GetParent(next) != dialog) return;
  if (IsPushButton(next) && (GetDlgCtrlID(next) != IDOK || !OkChecksFields(dialog))) return;
  if (NumericFieldValid(field)) return;
  FieldBeep();
  // The focus is still moving: take it back once the move is done.
  PostMessageA(field, kRefocusMessage, 0, 0);
}

void OnRefocus(HWND field) {
  bool& refocusing = Dialogs().refocusing;
  refocusing = true;
  SetFocus(field);
  refocusing = false;
  SendMessageA(field, EM_SETSEL, 0, -1);
}

// Puts a formatted number into a field: a number outside the field's range is refused
// before the text changes, so the field keeps its old value.
void PutNumberText(int fieldId, double value, const std::string& text) {
  LoadedDialog* dialog = nullptr;
  HWND field = CurrentDialogField(fieldId, &dialog);
  if (!field) return;
  if (const DialogField* record = FieldRecord(*dialog, fieldId);
      record && !WithinRange(record->lower, record->upper, value)) {
    IErReport(kErrOutOfRange);
    return;
  }
  IDlPutString(fieldId, text);
}

void PutNumber(int fieldId, double value, std::optional<std::string_view> format,
               std::string_view defaultFormat) {
  bool fitted = true;
  const std::string text = FieldNumberText(value, format, defaultFormat, fitted);
  if (!fitted) IErReport(kErrNumberToText);  // the asterisks are put all the same
  PutNumberText(fieldId, value, text);
}

}  // namespace

bool IsNumericField(HWND field) { return field && NumericKindOfClass(ClassOf(field)).has_value(); }

bool NumericFieldValid(HWND field) {
  const std::string text = FieldText(field, 255);
  const DialogField* record = FieldRecordOf(field);
  const double low = record ? record->lower : 1000.0;
  const double high = record ? record->upper : -1000.0;
  return NumericFieldTextValid(text, low, high);
}

void RestoreTextAtFocus(HWND field) {
  const std::map<HWND, std::string>& kept = Dialogs().textAtFocus;
  const auto found = kept.find(field);
  if (found != kept.end()) SetWindowTextA(field, found->second.c_str());
}

void AttachSpin(HWND field) {
  if (SpinOf(field)) return;
  HWND spin = CreateWindowExA(0, UPDOWN_CLASSA, "",
                              WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS |
                                  UDS_SETBUDDYINT | UDS_NOTHOUSANDS,
                              0, 0, 0, 0, GetParent(field), nullptr, System().instance, nullptr);
  if (!spin) return;
  // The buddy's text stays what the template gave it: the range is set first, then
  // the position taken from the text.
  SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(INT_MIN + 1), INT_MAX);
  const std::string text = FieldText(field, 100);
  SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field), 0);
  SetWindowTextA(field, text.c_str());
  SetPropA(field, kSpinProperty, spin);
}

HWND SpinOf(HWND field) { return static_cast<HWND>(GetPropA(field, kSpinProperty)); }

LRESULT CALLBACK NumericFieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CHAR: {
      const auto kind = NumericKindOfClass(ClassOf(hwnd));
      if (kind) return OnChar(hwnd, *kind, wParam, lParam);
      break;
    }
    case WM_SETFOCUS:
      Dialogs().textAtFocus[hwnd] = FieldText(hwnd, 255);
      break;
    case WM_KILLFOCUS:
      OnKillFocus(hwnd, reinterpret_cast<HWND>(wParam));
      break;
    case kRefocusMessage:
      OnRefocus(hwnd);
      return 0;
    case WM_NCDESTROY:
      Dialogs().textAtFocus.erase(hwnd);
      RemovePropA(hwnd, kSpinProperty);
      break;
    default:
      break;
  }
  return CallEdit(hwnd, msg, wParam, lParam);
}

}  // namespace win

void IDlPutReal(int fieldId, float value, std::optional<std::string_view> format) {
  win::PutNumber(fieldId, static_cast<double>(value), format, kRealFieldFormat);
}

void IDlPutDouble(int fieldId, double value, std::optional<std::string_view> format) {
  win::PutNumber(fieldId, value, format, kRealFieldFormat);
}

void IDlPutInteger(int fieldId, int value) {
  win::PutNumber(fieldId, static_cast<double>(value), kIntegerFieldFormat, kIntegerFieldFormat);
}

void IDlGetReal(int fieldId, float& value) {
  const int kept = IErInfo(kInfoLastError);
  HWND field = win::CurrentDialogField(fieldId);
  if (!field) return;
  const std::string text = win::FieldText(field, 100);
  if (IsBlank(text)) {
    IErReport(kErrFieldUndefined);
    value = -999.0f;
    return;
  }
  RestoreLastErrorCode(kept);
  value = static_cast<float>(ReadNumber(text, false));
}

}  // namespace qh
