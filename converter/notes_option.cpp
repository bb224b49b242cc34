#include "converter/notes_option.h"

#include <string_view>

#include "converter/command_ids.h"
#include "services/services.h"

namespace qh {
namespace {

constexpr std::string_view kIgnoreNotesStatus = " Option: Ignore Notes";
constexpr std::string_view kAppendNotesStatus = " Option: Append Notes";

}  // namespace

void SelectIgnoreNotes() {
  IMnSetState(IDC_IGNORE_NOTES, kMenuChecked, 1);
  IMnSetState(IDC_APPEND_NOTES, kMenuChecked, 0);
  IWnStatusText(1, kIgnoreNotesStatus);
}

void SelectAppendNotes() {
  IMnSetState(IDC_IGNORE_NOTES, kMenuChecked, 0);
  IMnSetState(IDC_APPEND_NOTES, kMenuChecked, 1);
  IWnStatusText(1, kAppendNotesStatus);
}

}  // namespace qh
