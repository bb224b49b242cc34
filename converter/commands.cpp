#include "converter/commands.h"

#include <array>

#include "converter/command_ids.h"
#include "converter/convert_pushpins.h"
#include "converter/edit_offsets.h"
#include "converter/notes_option.h"
#include "converter/open_input.h"
#include "converter/show_about.h"
#include "converter/show_help.h"

namespace qh {
namespace {

using CommandHandler = void (*)(ProgramState& state);

struct CommandEntry {
  int id;
  CommandHandler handler;
};

// One row per command; the menu, the toolbar and this table share the ids of
// command_ids.h.
constexpr std::array<CommandEntry, 10> kCommands{{
    {IDC_OPEN, [](ProgramState& s) { OpenInput(s); }},
    {IDC_SAVE, [](ProgramState& s) { ConvertPushpins(s, SaveMode::Save); }},
    {IDC_SAVE_AS, [](ProgramState& s) { ConvertPushpins(s, SaveMode::SaveAs); }},
    {IDC_EXIT, [](ProgramState& s) { ExitProgram(s); }},
    {IDC_TOOLBAR_EXIT, [](ProgramState& s) { ExitProgram(s); }},
    {IDC_IGNORE_NOTES, [](ProgramState&) { SelectIgnoreNotes(); }},
    {IDC_APPEND_NOTES, [](ProgramState&) { SelectAppendNotes(); }},
    {IDC_OFFSETS, [](ProgramState& s) { EditOffsets(s); }},
    {IDC_HELP, [](ProgramState&) { ShowHelp(); }},
    {IDC_ABOUT, [](ProgramState&) { ShowAbout(); }},
}};

}  // namespace

void HandleCommand(ProgramState& state, int id) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.id == id) {
      entry.handler(state);
      return;
    }
  }
}

}  // namespace qh
