// A file that is either complete or not there. The bytes go to a temporary file in the
// target's folder; Commit puts that file in the target's place in one step, replacing
// an earlier file of the name; anything short of a successful Commit (a failure,
// Abandon, a new Open, destruction) removes the temporary file and leaves the target
// as it was. A folder that carries the target's name is never replaced.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace qh {

class CompleteFile {
 public:
  // What went wrong first: making the temporary file, writing or closing it, or
  // putting it in the target's place.
  enum class Failure { None, Create, Write, Replace };

  CompleteFile() = default;
  ~CompleteFile() { Abandon(); }
  CompleteFile(const CompleteFile&) = delete;
  CompleteFile& operator=(const CompleteFile&) = delete;

  // Starts a fresh file for `path`, dropping one still open.
  bool Open(std::string_view path);
  bool Write(std::string_view bytes);
  // Closes the file and renames it over the target. After Commit (either way) the
  // object is closed; Open starts again.
  bool Commit();
  // Drops what was written; the target keeps what it had.
  void Abandon();

  // The first failure since Open sticks: later calls fail without touching the system.
  bool Failed() const { return failure_ != Failure::None; }
  Failure WhatFailed() const { return failure_; }
  // The system's words for the first failure; empty while there is none.
  const std::string& Reason() const { return reason_; }
  // The target named at Open.
  const std::string& Path() const { return path_; }

 private:
  bool Fail(Failure what, std::string reason);
  void DropTemporary();

  std::FILE* file_ = nullptr;
  std::string path_, temporary_, reason_;
  Failure failure_ = Failure::None;
};

}  // namespace qh
