// The ".asc" point file: one line per pin, longitude and latitude in F10.5 columns and
// the pin's text in double quotes, CR LF. The file appears under its name only when
// complete, so a failed conversion never leaves a partial file nor destroys the one
// written before.
#pragma once

#include <string>
#include <string_view>

#include "converter/io_error.h"
#include "converter/pushpin_reader.h"
#include "services/complete_file.h"

namespace qh {

enum class NotesMode { Ignore, Append };

// Where a line's text starts: after two ten-column coordinates, their commas and the
// opening double quote.
inline constexpr std::size_t kAscTextColumn = 23;

// The pin's text by the notes mode, one byte per code unit: its low byte.
std::string PinText(const PinRecord& pin, NotesMode mode);
// The whole line, CR LF included.
std::string AscLine(double longitude, double latitude, std::string_view text);
// Appends AscLine(longitude, latitude, PinText(pin, mode)) to `out` without building
// the parts as strings of their own: with a reused `out`, a line costs no allocation.
void AppendAscLine(std::string& out, double longitude, double latitude, const PinRecord& pin,
                   NotesMode mode);
// The offset widened to double, the sum rounded to double.
double AddOffset(float offset, double value);
// False when a coordinate of the line did not fit its ten columns and stands there as
// asterisks: the overlay compiler leaves such a point out.
bool AscCoordinatesFit(std::string_view line);

// A file of one of the converter's units, written through CompleteFile: either complete
// or not there. Its first failure is told as "<condition>, unit <n>, file <name>".
class UnitFileWriter {
 public:
  explicit UnitFileWriter(int unit) : unit_(unit) {}

  bool Open(std::string_view path) { return file_.Open(path); }
  bool Write(std::string_view bytes) { return file_.Write(bytes); }
  bool Commit() { return file_.Commit(); }
  void Abandon() { file_.Abandon(); }

  bool Failed() const { return file_.Failed(); }
  // Empty while nothing failed.
  std::string ErrorMessage() const;

 private:
  int unit_;
  CompleteFile file_;
};

class AscWriter : public UnitFileWriter {
 public:
  AscWriter() : UnitFileWriter(kAscUnit) {}
};

}  // namespace qh
