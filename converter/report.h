// The progress report in the drawing area: its rows, its lines that name files, and
// how a line is fitted to the area's width.
#pragma once

#include <string>
#include <string_view>

#include "converter/program_state.h"

namespace qh {

// Clears the drawing area and draws every stored report line again.
void RepaintReport(const ProgramState& state);

// The places of the report's lines in the drawing area, top to bottom: one Open and
// one Save fill the first five; LocalSymbol is drawn but never stored; Summary is the
// report's summary line, below them all.
enum class ReportRow : int { Reading = 1, Text, Running, Output, Symbol, LocalSymbol, Summary };

// A report line that names a file: `lead` and the path's short display form.
std::string ReportLineWithPath(std::string_view lead, std::string_view path);

// A report line as it fits the drawing area's width: a line that names a file and is
// too wide loses the middle of the path ("..."), never its file name.
std::string FitReportLine(std::string_view line);

// Draws `text` on its row and stores it as the next report line.
void AddReportLine(ProgramState& state, ReportRow row, std::string_view text);
// Draws `text` on its row without storing it.
void DrawReportText(ReportRow row, std::string_view text);

}  // namespace qh
