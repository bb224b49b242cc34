// Modal conversations without a dialog resource: message boxes and the system's
// file dialogs. Their outcome is read afterwards with IDlInfo (item 4: 1 confirmed,
// 0 cancelled, or the message box answer).
#pragma once

#include <span>
#include <string_view>

namespace qh {

// Message box kinds and icons.
enum BoxKind : int { kBoxOk = 0, kBoxOkCancel = 1, kBoxRetryCancel = 2, kBoxYesNo = 3,
                     kBoxYesNoCancel = 4, kBoxAbortRetryIgnore = 5 };
enum BoxIcon : int { kIconStop = 1, kIconQuestion = 2, kIconExclamation = 3, kIconInformation = 4 };

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
int IDlInfo(int item);

}  // namespace qh
