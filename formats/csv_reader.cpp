#include "formats/csv_reader.h"

#include <algorithm>
#include <cmath>

#include "formats/asc_reader.h"
#include "formats/decimal_number.h"
#include "numeric/ascii.h"

namespace qh {
namespace {

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string Lowered(std::string_view text) {
  std::string out(Trimmed(text));
  LowerAscii(out);
  if (out.size() >= 2 && out.front() == '"' && out.back() == '"') {
    out = out.substr(1, out.size() - 2);
  }
  return out;
}

void NameColumn(const std::string& name, int column, CsvColumns& columns) {
  auto is = [&](std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
  };
  int* slot = nullptr;
  if (is({"lat", "latitude"})) slot = &columns.latitude;
  if (is({"lon", "long", "longitude", "lng"})) slot = &columns.longitude;
  if (is({"name"})) slot = &columns.name;
  if (is({"desc", "description", "notes"})) slot = &columns.desc;
  if (slot != nullptr && *slot < 0) *slot = column;  // the first of a name counts
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// What a header line names, its columns parted by `separator`.
CsvColumns CsvHeaderColumnsParted(std::string_view line, char separator) {
  CsvColumns columns;
  int column = 0;
  for (std::size_t start = 0;; ++column) {
    const std::size_t stop = std::min(line.find(separator, start), line.size());
    NameColumn(Lowered(line.substr(start, stop - start)), column, columns);
    if (stop == line.size()) break;
    start = stop + 1;
  }
  return columns;
}

}  // namespace

CsvColumns CsvHeaderColumns(std::string_view line, char& separator) {
  if (line.substr(0, 3) == kByteOrderMark) line.remove_prefix(3);
  const auto commas = std::count(line.begin(), line.end(), ',');
  const auto semicolons = std::count(line.begin(), line.end(), ';');
  // Text a spreadsheet saves "tab delimited", or copies to the clipboard.
  const auto tabs = std::count(line.begin(), line.end(), '\t');
  separator = semicolons > commas ? ';' : ',';
  if (tabs > std::max(commas, semicolons)) separator = '\t';
  return CsvHeaderColumnsParted(line, separator);
}

CsvReader::CsvReader(std::string_view text) : text_(text) {
  if (text_.substr(0, 3) == kByteOrderMark) at_ = 3;
}

std::string_view CsvReader::TakeLine() {
  const std::size_t start = at_;
  while (at_ < text_.size() && !IsLineEnd(text_[at_])) ++at_;
  const std::string_view line = text_.substr(start, at_ - start);
  SkipLineEnd();
  return line;
}

bool CsvReader::ReadHeader() {
  std::string_view line = TakeLine();
  // A spreadsheet's hint line ("sep=;") names the separator of the lines after it.
  if (line.size() == 5 && line.substr(0, 4) == "sep=") {
    separator_ = line[4];
    line = TakeLine();
    columns_ = CsvHeaderColumnsParted(line, separator_);
  } else {
    columns_ = CsvHeaderColumns(line, separator_);
  }
  recordLine_ = line_ - 1;
  if (columns_.latitude < 0 || columns_.longitude < 0) {
    problem_ = "the header line does not name a lat and a lon column";
    headerRefused_ = true;
    return false;
  }
  return true;
}

ContentError CsvReader::Error() const {
  if (problem_.empty()) return {};
  return {std::string(), headerRefused_ ? 0 : recordLine_, ContentError::kNoOffset,
          std::string(problem_)};
}

void CsvReader::SkipLineEnd() {
  if (at_ < text_.size() && text_[at_] == '\r') ++at_;
  if (at_ < text_.size() && text_[at_] == '\n') ++at_;
  ++line_;
}

bool CsvReader::NextField(std::string& field) {
  field.clear();
  if (at_ < text_.size() && text_[at_] == '"') {
    ++at_;
    for (;;) {
      const std::size_t quote = text_.find('"', at_);
      const std::size_t stop = std::min(quote, text_.size());
      const std::string_view part = text_.substr(at_, stop - at_);
      line_ += static_cast<std::size_t>(std::count(part.begin(), part.end(), '\n'));
      field.append(part);
      at_ = stop;
      if (quote == std::string_view::npos) {
        problem_ = "a quoted field is not closed";
        return false;
      }
      ++at_;
      if (at_ < text_.size() && text_[at_] == '"') {
        field += '"';
        ++at_;
        continue;
      }
      break;
    }
  }
  // Unquoted text, or anything after a closing quote, up to the separator.
  const std::size_t start = at_;
  while (at_ < text_.size() && text_[at_] != separator_ && !IsLineEnd(text_[at_])) ++at_;
  field.append(text_.substr(start, at_ - start));
  if (at_ < text_.size() && text_[at_] == separator_) {
    ++at_;
    return true;
  }
  return false;
}

bool CsvReader::NextRecord() {
  // Blank lines between records are passed over.
  while (at_ < text_.size() && IsLineEnd(text_[at_])) SkipLineEnd();
  if (at_ >= text_.size()) return false;
  recordLine_ = line_;
  problem_ = {};
  fieldCount_ = 0;
  for (bool more = true; more;) {
    if (fieldCount_ == fields_.size()) fields_.emplace_back();
    more = NextField(fields_[fieldCount_++]);
  }
  SkipLineEnd();
  return true;
}

bool CsvReader::Number(int column, double& value) {
  const auto index = static_cast<std::size_t>(column);
  if (index >= fieldCount_) return false;
  std::string_view text = Trimmed(fields_[index]);
  if (separator_ != ',' && text.find(',') != std::string_view::npos) {
    number_.assign(text);
    std::replace(number_.begin(), number_.end(), ',', '.');
    text = number_;
  }
  return ParseDecimal(text, value) && std::isfinite(value);
}

CsvReader::Result CsvReader::Next(CsvPoint& point) {
  if (!NextRecord()) return Result::kEnd;
  if (!problem_.empty()) return Result::kBadRecord;  // a quote left open
  if (!Number(columns_.latitude, point.latitude) || !Number(columns_.longitude, point.longitude)) {
    problem_ = "the lat or lon field is not a number";
    return Result::kBadRecord;
  }
  auto text = [&](int column) {
    const auto index = static_cast<std::size_t>(column);
    if (column < 0 || index >= fieldCount_) return std::string_view();
    return std::string_view(fields_[index]);
  };
  point.name = text(columns_.name);
  point.desc = text(columns_.desc);
  return Result::kPoint;
}

}  // namespace qh
