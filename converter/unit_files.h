// The converter's file channels and the wording of their failures. Each file the
// converter reads or writes goes through one fixed unit number, and a failure is told
// as "<condition>, unit <n>, file <name>" so that the user sees which file and why.
#pragma once

#include <string>
#include <string_view>

#include "files/complete_file.h"
#include "files/io_error.h"

namespace qh {

inline constexpr int kPushpinUnit = 10;
inline constexpr int kAscUnit = 11;
inline constexpr int kOffsetsUnit = 12;

// "<condition>, unit <n>, file <path>"; empty when nothing failed.
std::string UnitMessage(const IoError& error, int unit);

// A file of one of the converter's units, written through CompleteFile: either
// complete or not there.
class UnitFileWriter {
 public:
  explicit UnitFileWriter(int unit) : unit_(unit) {}

  bool Open(std::string_view path) { return file_.Open(path); }
  bool Write(std::string_view bytes) { return file_.Write(bytes); }
  bool Commit() { return file_.Commit(); }
  void Abandon() { file_.Abandon(); }

  bool Failed() const { return file_.Failed(); }
  // Empty while nothing failed.
  std::string ErrorMessage() const { return UnitMessage(file_.Error(), unit_); }

 private:
  int unit_;
  CompleteFile file_;
};

class AscWriter : public UnitFileWriter {
 public:
  AscWriter() : UnitFileWriter(kAscUnit) {}
};

}  // namespace qh
