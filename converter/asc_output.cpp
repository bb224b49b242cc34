#include "converter/asc_output.h"

#include <cstdio>
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

namespace {

// True when `path` is an existing file that we could write (never a folder).
bool IsWritableFile(const std::string& path) {
  std::FILE* probe = std::fopen(path.c_str(), "r+b");
  if (probe == nullptr) return false;
  std::fclose(probe);
  return true;
}

}  // namespace

bool MoveIntoPlace(const std::string& temp, const std::string& target) {
  if (std::rename(temp.c_str(), target.c_str()) == 0) return true;
  // Windows' rename refuses an existing target: move the old file aside first. Only a
  // plain file is moved, never a folder that happens to carry the name.
  if (!IsWritableFile(target)) return false;
  const std::string aside = target + ".qhold";
  std::remove(aside.c_str());
  if (std::rename(target.c_str(), aside.c_str()) != 0) return false;
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    std::rename(aside.c_str(), target.c_str());
    return false;
  }
  std::remove(aside.c_str());
  return true;
}

SafeFileWriter::~SafeFileWriter() { Abandon(); }

bool SafeFileWriter::Fail(std::string_view condition) {
  if (!failed_) error_ = IoErrorMessage(condition, unit_, target_);
  failed_ = true;
  return false;
}

bool SafeFileWriter::Open(std::string_view path) {
  Abandon();
  target_.assign(path);
  temp_ = target_ + ".qhtmp";
  error_.clear();
  failed_ = false;
  file_ = std::fopen(temp_.c_str(), "wb");
  if (file_ == nullptr) {
    temp_.clear();  // nothing of ours to remove
    return Fail(kCannotCreate);
  }
  return true;
}

bool SafeFileWriter::Write(std::string_view bytes) {
  if (failed_) return false;
  if (file_ == nullptr) return Fail(kWriteFailed);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) return Fail(kWriteFailed);
  return true;
}

bool SafeFileWriter::Commit() {
  if (file_ == nullptr && !failed_) Fail(kWriteFailed);
  if (file_ != nullptr) {
    const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) Fail(kWriteFailed);
  }
  if (!failed_ && !MoveIntoPlace(temp_, target_)) Fail(kCannotCreate);
  if (failed_) {
    std::remove(temp_.c_str());
    return false;
  }
  temp_.clear();
  return true;
}

void SafeFileWriter::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temp_.empty()) std::remove(temp_.c_str());
  temp_.clear();
}

}  // namespace qh
