// The ".asc" point file: one line per pin, longitude and latitude in F10.5 columns and
// the pin's text in double quotes, CR LF. The file is written under a temporary name in
// the target's folder and renamed into place only when complete, so a failed
// conversion never leaves a partial file nor destroys the one written before.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "converter/io_error.h"
#include "converter/pushpin_reader.h"

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

// A file that is either complete or not there. Writes go to "<target>.qhtmp"; Commit
// renames it over the target, Abandon (or destruction without Commit) removes it.
class SafeFileWriter {
 public:
  explicit SafeFileWriter(int unit) : unit_(unit) {}
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  bool Open(std::string_view path);
  bool Write(std::string_view bytes);
  bool Commit();
  void Abandon();

  bool Failed() const { return failed_; }
  const std::string& ErrorMessage() const { return error_; }
  const std::string& TemporaryPath() const { return temp_; }

 private:
  bool Fail(std::string_view condition);

  int unit_;
  std::FILE* file_ = nullptr;
  std::string target_, temp_, error_;
  bool failed_ = false;
};

class AscWriter : public SafeFileWriter {
 public:
  AscWriter() : SafeFileWriter(kAscUnit) {}
};

// Puts `temp` in the place of `target`, replacing it. When the system will not rename
// over an existing file, the old one is moved aside first and put back on failure, so
// that the target is never lost.
bool MoveIntoPlace(const std::string& temp, const std::string& target);

}  // namespace qh
