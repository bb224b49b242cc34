// Reader of point lists in CSV (UTF-8): a header line naming the columns "lat" (or
// "latitude"), "lon" ("long", "longitude", "lng"), optionally "name" and "desc"
// ("description", "notes"), in any order and case; other columns are ignored. The
// separator is a comma, a semicolon or a tab, whichever the header holds most of; with a
// semicolon or a tab a decimal comma is taken too. A spreadsheet's hint line before the
// header ("sep=;") names the separator instead. Fields follow RFC 4180: a quoted field may
// hold separators, line ends and doubled quotes. Line ends are CR LF, LF or CR; a UTF-8
// byte order mark before the header is passed over.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "files/io_error.h"

namespace qh {

struct CsvPoint {
  double latitude = 0, longitude = 0;
  std::string_view name, desc;  // valid until the next call
};

// The header's columns; -1 for one it lacks.
struct CsvColumns {
  int latitude = -1, longitude = -1, name = -1, desc = -1;
};

// What a header line names, and its separator.
CsvColumns CsvHeaderColumns(std::string_view line, char& separator);

class CsvReader {
 public:
  enum class Result { kPoint, kBadRecord, kEnd };

  // `text` is the whole file and must outlive the reader.
  explicit CsvReader(std::string_view text);

  // False, with Error(), when the first line does not name a latitude and a longitude.
  bool ReadHeader();
  // The next record as a point, a record that gives none (see Error), or the end.
  Result Next(CsvPoint& point);

  // The line on which the last record (or the header) starts.
  std::size_t LineNumber() const { return recordLine_; }
  // What is wrong with the last record, at its line; a header that is refused makes
  // the whole file unreadable, and its fault has no line. The path is the caller's to
  // fill in.
  ContentError Error() const;
  char Separator() const { return separator_; }

 private:
  // Reads one record's fields; false at the end of the text.
  bool NextRecord();
  // Reads one field from at_; true when the record goes on after it.
  bool NextField(std::string& field);
  bool Number(int column, double& value);
  void SkipLineEnd();
  // The line from at_, unquoted, and past its end.
  std::string_view TakeLine();

  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t line_ = 1, recordLine_ = 0;
  char separator_ = ',';
  CsvColumns columns_;
  std::vector<std::string> fields_;
  std::size_t fieldCount_ = 0;
  std::string number_;
  std::string_view problem_;
  bool headerRefused_ = false;
};

}  // namespace qh
