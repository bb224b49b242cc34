// Modal conversations without a dialog resource: message boxes and the system's
// file dialogs. Their outcome is read afterwards with IDlInfo (kInfoExitState: 1 confirmed,
// 0 cancelled, or the message box answer).
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace qh {

// Message box kinds and icons.
enum BoxKind : int { kBoxOk = 0, kBoxOkCancel = 1, kBoxRetryCancel = 2, kBoxYesNo = 3,
                     kBoxYesNoCancel = 4, kBoxAbortRetryIgnore = 5 };
enum BoxIcon : int { kIconStop = 1, kIconQuestion = 2, kIconExclamation = 3, kIconInformation = 4 };
// Which of a box's buttons Enter presses, counted from the first.
enum BoxDefault : int { kDefaultFirst = 1, kDefaultSecond = 2, kDefaultThird = 3 };

// File dialog flags (they add up).
enum FileDialogFlag : int {
  kFileSave = 1,
  kFilePrompt = 2,
  kFileNoPathCheck = 4,
  kFileKeepFolder = 8,
  kFileMultiSelect = 16,
  kFileAddExtension = 32,
};

void IWnMessageBox(int kind, int icon, int defaultButton, std::string_view message,
                   std::string_view title);
// `name` is the caller's whole buffer: the initial suggestion and, on OK, the result.
void IDlSelectFile(std::string_view filter, int flags, std::span<char> name,
                   std::string_view title, int* index = nullptr);

// The items IDlInfo answers: how the last modal resource dialog ended (its button, the
// field that had the focus, the dialog that held the button), the current dialog, and
// the exit state of the last message box or file dialog.
enum DialogInfoItem : int {
  kInfoExitButton = 1,
  kInfoExitFocus = 2,
  kInfoCurrentDialog = 3,
  kInfoExitState = 4,
  kInfoExitDialog = 5,
};
// The button of a resource dialog that confirms it; Esc and the close box end it as 2.
inline constexpr int kButtonOk = 1;
int IDlInfo(int item);

// Dialogs laid out in the program's resources. The field operations address the
// current dialog: the one last loaded (or loaded again).
enum DialogMode : int { kDialogModal = 1, kDialogModeless = 2, kDialogSemiModal = 3 };

void IDlLoad(int dialogId);
void IDlPutString(int fieldId, std::string_view text);
// x, y in drawing units (-1 centres); focus field 0 = none; mode 2 when absent.
void IDlShow(int x, int y, std::optional<int> focusField = std::nullopt,
             std::optional<int> mode = std::nullopt);
void IDlUnload(std::optional<int> unused = std::nullopt);
// Whether OK first checks the focused numeric field of the current dialog, beeping and
// keeping the dialog up when the text is no number (the default). A dialog whose owner
// checks the fields itself after the run, and says what is wrong, turns it off.
void IDlCheckOnOk(bool check);

// Numbers in dialog fields. The format is an edit descriptor such as "(F8.5)";
// absent or blank, "(G15.5E2)". IDlPutInteger always uses "(I11)".
void IDlPutReal(int fieldId, float value, std::optional<std::string_view> format = std::nullopt);
void IDlPutDouble(int fieldId, double value,
                  std::optional<std::string_view> format = std::nullopt);
void IDlPutInteger(int fieldId, int value);
// The field's text as a number; an empty field gives -999.0 (code kErrFieldEmpty), a
// text that is not a number 0.0. Without a dialog or field the value is left as it was.
inline constexpr int kErrFieldEmpty = 1010;
void IDlGetReal(int fieldId, float& value);

}  // namespace qh
