#include "converter/commands.h"

#include <array>

#include "converter/command_ids.h"
#include "converter/paths.h"
#include "services/services.h"

namespace qh {
namespace {

constexpr int kReportX = 100;
constexpr int kReportLineHeight = 1000;
constexpr int kReportPathLimit = 50;  // characters of a path shown in a report line

constexpr std::string_view kIgnoreNotesStatus = " Option: Ignore Notes";
constexpr std::string_view kAppendNotesStatus = " Option: Append Notes";
constexpr std::string_view kHelpFile = "Quillhaven.hlp";
constexpr std::string_view kHelpPage = "Quillhaven.htm";

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

void RepaintReport(const ProgramState& state) {
  IWnClear();
  for (int i = 1; i <= state.report.Count(); ++i) {
    IWnOutText(kReportX, kReportLineHeight * i, FitReportLine(state.report.Line(i).View()));
  }
  if (!state.report.Summary().Blank()) DrawReportText(ReportRow::Summary, state.report.Summary().View());
}

std::string ReportLineWithPath(std::string_view lead, std::string_view path) {
  std::string line(lead);
  line.append(ShortenPath(path, kReportPathLimit).Trim());
  return line;
}

std::string FitReportLine(std::string_view line) {
  constexpr int kRoom = 9999 - 2 * kReportX;  // the same margin on the right
  const std::string_view text = Trimmed(line);
  const std::size_t pathStart = text.find("... ");
  if (pathStart == std::string_view::npos || IWnTextWidth(text) <= kRoom) return std::string(text);
  const std::string_view lead = text.substr(0, pathStart + 4);
  const std::string_view path = text.substr(lead.size());
  // Fewer characters of the path each time: its middle goes, its file name stays (at
  // the end only the file name is left, fitting or not).
  std::string fitted;
  for (int limit = static_cast<int>(path.size()) - 1; limit >= 0; --limit) {
    const FixedText<256> shortened = ShortenPath(path, limit);
    fitted.assign(lead);
    fitted.append(shortened.Trim());
    if (IWnTextWidth(fitted) <= kRoom) break;
  }
  return fitted;
}

void DrawReportText(ReportRow row, std::string_view text) {
  IWnOutText(kReportX, kReportLineHeight * static_cast<int>(row), FitReportLine(text));
}

void AddReportLine(ProgramState& state, ReportRow row, std::string_view text) {
  // Drawn in full now; a repaint shows the stored, possibly cut, line.
  DrawReportText(row, text);
  state.report.Append(text);
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

bool HasHelpEngine(SystemVersion version) { return version.major < 6; }

void ShowHelp() {
  // Windows Vista and later ship no engine for ".hlp" files (10 and 11 show only a
  // notice): there the manual opens as a web page in the user's browser.
  IWnHelp(HasHelpEngine(IOsSystemVersion()) ? kHelpFile : kHelpPage);
}

void ExitProgram(ProgramState& state) {
  // A blank name closes the help viewer this program may have opened. A browser is the
  // user's own and stays; without a help engine there is nothing to close, and asking
  // for one could bring up the system's "not included" notice.
  if (HasHelpEngine(IOsSystemVersion())) IWnHelp(" ");
  state.quitFlag = true;
}

}  // namespace qh
