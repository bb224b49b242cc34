#include "converter/asc_output.h"

#include <cstring>

#include "services/numbers.h"

namespace qh {

namespace {

void AppendLowBytes(std::string& out, const std::u16string& text) {
  for (const char16_t unit : text) out.push_back(static_cast<char>(unit & 0xFF));
}

void AppendPinText(std::string& out, const PinRecord& pin, NotesMode mode) {
  AppendLowBytes(out, pin.name);
  if (mode == NotesMode::Append) {
    AppendLowBytes(out, pin.note1);
    AppendLowBytes(out, pin.note2);
  }
}

// The line up to and including its opening double quote, put together on the stack
// and appended at once.
void AppendLineStart(std::string& out, double longitude, double latitude) {
  char start[kAscTextColumn];
  // Ten columns each: short strings, no allocation.
  const std::string lon = EditF(longitude, 10, 5), lat = EditF(latitude, 10, 5);
  std::memcpy(start, lon.data(), 10);
  start[10] = ',';
  std::memcpy(start + 11, lat.data(), 10);
  start[21] = ',';
  start[22] = '"';
  out.append(start, sizeof start);
}

}  // namespace

std::string PinText(const PinRecord& pin, NotesMode mode) {
  std::string text;
  AppendPinText(text, pin, mode);
  return text;
}

std::string AscLine(double longitude, double latitude, std::string_view text) {
  std::string line;
  AppendLineStart(line, longitude, latitude);
  line += text;
  line += "\"\r\n";
  return line;
}

void AppendAscLine(std::string& out, double longitude, double latitude, const PinRecord& pin,
                   NotesMode mode) {
  AppendLineStart(out, longitude, latitude);
  AppendPinText(out, pin, mode);
  out += "\"\r\n";
}

double AddOffset(float offset, double value) { return static_cast<double>(offset) + value; }

bool AscCoordinatesFit(std::string_view line) {
  constexpr std::size_t kLatitudeColumn = 11;
  return line.size() > kLatitudeColumn && line[0] != '*' && line[kLatitudeColumn] != '*';
}

std::string UnitFileWriter::ErrorMessage() const {
  switch (file_.WhatFailed()) {
    case CompleteFile::Failure::None:
      return {};
    case CompleteFile::Failure::Write:
      return IoErrorMessage(kWriteFailed, unit_, file_.Path());
    case CompleteFile::Failure::Create:
    case CompleteFile::Failure::Replace:
      break;
  }
  // A file that cannot take the place of the target was, to the user, not created.
  return IoErrorMessage(kCannotCreate, unit_, file_.Path());
}

}  // namespace qh
