// What the resource dialogs share with the numeric fields and the extra sections:
// the dialog table lookups, the field records of loaded dialogs and of a modal run,
// the layer's beep, and the numeric field procedure that the root window registers.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "core/dialog_sections.h"
#include "layer_state.h"

namespace qh::win {

// The entry whose id is dialog state item kInfoCurrentDialog; null when no dialog is current.
LoadedDialog* CurrentDialog();
// The entry of a dialog id, or of a loaded dialog's window; null if none.
LoadedDialog* DialogOfId(int id);
LoadedDialog* DialogOfWindow(HWND hwnd);
// The field `id` of the current dialog. Reports 1005 (no dialog) or 1006 (no such
// field) and gives null, as every field operation does.
HWND CurrentDialogField(int id, LoadedDialog** dialog = nullptr);
// The field record of a field window: of its loaded dialog, or of the modal run
// whose instance holds it. Null for a window outside the table.
DialogField* FieldRecordOf(HWND field);
// The field record `id` of a loaded dialog; null when the dialog lacks the field.
DialogField* FieldRecord(LoadedDialog& dialog, int id);

// Whether pressing OK in `dialog` (a loaded dialog, its modal instance or a page of
// one) first checks the focused numeric field.
bool OkChecksFields(HWND dialog);

// A refusal the user hears (counted in the layer's beep count).
void FieldBeep();

bool IsPushButton(HWND control);

// The window class of a window ("Button", "Edit", ...), and whether it is `name`
// (compared as the system compares class names, regardless of case).
std::string ClassOf(HWND h);
bool ClassIs(HWND h, const char* name);

// The bytes of the program's resource `id` of `type` (RT_RCDATA, RT_DIALOG); empty when
// the program has none.
std::span<const unsigned char> ResourceBytes(int id, LPCSTR type);

// Numeric fields (numeric_fields.cpp).
LRESULT CALLBACK NumericFieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool IsNumericField(HWND field);
// The field's text passes the scan and lies within the field's range.
bool NumericFieldValid(HWND field);
// Puts back the text the field held when it last got the focus.
void RestoreTextAtFocus(HWND field);
// Attaches the spin control of an "INTEGERSPIN" field.
void AttachSpin(HWND field);
// The spin control attached to a field, or null.
HWND SpinOf(HWND field);

// Applies the extra sections to a freshly loaded dialog (dialog_sections_apply.cpp).
// "[Tabs]" loads page dialogs into the table, so `dialog` may have moved afterwards.
void ApplyDialogSections(LoadedDialog& dialog, const DialogSections& sections);

// Tab fields and their page dialogs (dialog_tabs.cpp). A page is a loaded dialog of
// its own, embedded as a child of the dialog window that shows it: the loaded dialog,
// or its modal instance while that runs.
//
// Fills the tab field of the loaded dialog `dialogId` with the entry's labels, loads
// each page and embeds it, and selects the page named by the entry (else the first).
void ApplyTabs(int dialogId, const TabEntry& entry);
// Moves the pages of `dialogId`'s tab fields into `host`, an instance of that dialog,
// over the display area of their tab field; the selected page shows.
void PlacePages(HWND host, int dialogId);
// Shows the page that the tab field `field` of `host` selects and hides the others.
void ShowSelectedPage(HWND host, int dialogId, int field);
// Gives `dialogId`'s pages back to the drawing area, hidden, as they were loaded.
void ReturnPages(int dialogId);

}  // namespace qh::win
