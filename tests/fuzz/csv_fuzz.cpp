// The CSV reader on any text. Whatever it is given, each point it gives has finite
// coordinates and lines only move forward; and the points, written again by our CSV
// writer, read back with the same coordinates (to the writer's 1e-5 degree) and texts.
#include <cmath>
#include <string>
#include <vector>

#include "formats/csv_reader.h"
#include "formats/point_text_writers.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using qh::fuzz::Shown;

struct Row {
  std::int32_t longitude, latitude;
  std::string name, desc;
  bool operator==(const Row&) const = default;
};

bool Units(double degrees, std::int32_t& units) {
  const double scaled = std::round(degrees * 1e5);
  if (!(std::fabs(scaled) < 2e9)) return false;
  units = static_cast<std::int32_t>(scaled);
  return true;
}

std::vector<Row> ReadRows(std::string_view text, bool& header) {
  std::vector<Row> rows;
  qh::CsvReader reader(text);
  header = reader.ReadHeader();
  if (!header) return rows;
  qh::CsvPoint point;
  std::size_t lastLine = reader.LineNumber();
  for (;;) {
    const qh::CsvReader::Result result = reader.Next(point);
    if (result == qh::CsvReader::Result::kEnd) break;
    QH_FUZZ_CHECK(reader.LineNumber() > lastLine, "a record did not move past its line");
    lastLine = reader.LineNumber();
    if (result == qh::CsvReader::Result::kBadRecord) continue;
    QH_FUZZ_CHECK(std::isfinite(point.latitude) && std::isfinite(point.longitude),
                  "a coordinate that is not finite");
    Row row{0, 0, std::string(point.name), std::string(point.desc)};
    if (Units(point.longitude, row.longitude) && Units(point.latitude, row.latitude)) {
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  bool header = false;
  const std::vector<Row> rows = ReadRows(text, header);
  if (!header) return 0;
  std::string again;
  qh::AppendCsvHeader(again);
  for (const Row& row : rows) qh::AppendCsvRow(again, row.longitude, row.latitude, row.name, row.desc);
  bool headerAgain = false;
  const std::vector<Row> back = ReadRows(again, headerAgain);
  QH_FUZZ_CHECK(headerAgain, "our own header refused");
  QH_FUZZ_CHECK(back.size() == rows.size(), "rows written again: " + std::to_string(back.size()) +
                                                " for " + std::to_string(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    QH_FUZZ_CHECK(back[i] == rows[i], "row " + std::to_string(i) + " came back as " +
                                          Shown(back[i].name) + " for " + Shown(rows[i].name));
  }
  return 0;
}
