#include "converter/report.h"

#include "converter/paths.h"
#include "services/services.h"

namespace qh {
namespace {

constexpr int kReportX = 100;
constexpr int kReportLineHeight = 1000;
constexpr int kReportPathLimit = 50;  // characters of a path shown in a report line

}  // namespace

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

}  // namespace qh
