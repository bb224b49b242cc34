#include "converter/commands.h"

#include <array>

#include "converter/command_ids.h"
#include "services/services.h"

namespace qh {
namespace {

constexpr int kReportX = 100;
constexpr int kReportLineHeight = 1000;

constexpr std::string_view kIgnoreNotesStatus = " Option: Ignore Notes";
constexpr std::string_view kAppendNotesStatus = " Option: Append Notes";
constexpr std::string_view kHelpFile = "Quillhaven.hlp";

using CommandHandler = void (*)(ProgramState& state, bool& quitFlag);

struct CommandEntry {
  int id;
  CommandHandler handler;
};

// One row per command; the menu, the toolbar and this table share the ids of
// command_ids.h.
constexpr std::array<CommandEntry, 10> kCommands{{
    {IDC_OPEN, [](ProgramState& s, bool&) { OpenInput(s); }},
    {IDC_SAVE, [](ProgramState& s, bool&) { ConvertPushpins(s, 0); }},
    {IDC_SAVE_AS, [](ProgramState& s, bool&) { ConvertPushpins(s, 1); }},
    {IDC_EXIT, [](ProgramState&, bool& quit) { ExitProgram(quit); }},
    {IDC_TOOLBAR_EXIT, [](ProgramState&, bool& quit) { ExitProgram(quit); }},
    {IDC_IGNORE_NOTES, [](ProgramState&, bool&) { SelectIgnoreNotes(); }},
    {IDC_APPEND_NOTES, [](ProgramState&, bool&) { SelectAppendNotes(); }},
    {IDC_OFFSETS, [](ProgramState& s, bool&) { EditOffsets(s); }},
    {IDC_HELP, [](ProgramState&, bool&) { ShowHelp(); }},
    {IDC_ABOUT, [](ProgramState&, bool&) { ShowAbout(); }},
}};

}  // namespace

void HandleCommand(ProgramState& state, int id, bool& quitFlag) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.id == id) {
      entry.handler(state, quitFlag);
      return;
    }
  }
}

void RepaintReport(const ProgramState& state) {
  IWnClear();
  for (int i = 1; i <= state.Report.Count(); ++i) {
    IWnOutText(kReportX, kReportLineHeight * i, state.Report.Line(i).Trim());
  }
}

void AddReportLine(ProgramState& state, int y, std::string_view text) {
  // Drawn in full now; a repaint shows the stored, possibly cut, line.
  IWnOutText(kReportX, y, Trimmed(text));
  state.Report.Append(text);
}

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

void ShowHelp() { IWnHelp(kHelpFile); }

void ExitProgram(bool& quitFlag) {
  // A blank name closes the help viewer this program may have opened.
  IWnHelp(" ");
  quitFlag = true;
}

}  // namespace qh
