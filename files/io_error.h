// What went wrong with a file, in two shapes for every reader and writer of the file
// formats: IoError when the system failed (the kind of failure, the file, and the
// system's words for it), ContentError when the file was read and what it holds is
// wrong. Each front end tells them in its own language: the program in its boxes, the
// tools on standard error (tools/common/tell_failure.h).
#pragma once

#include <cstddef>
#include <string>

namespace qh {

enum class IoFailure {
  kNone,
  kNotFound,      // no file of that name
  kAccessDenied,  // the system refused to open it
  kIsFolder,      // the name is a folder
  kCannotOpen,    // any other reason it does not open
  kEndOfFile,     // it ended before its content did
  kReadFailed,    // the system failed while reading it
  kTooLarge,      // it holds more than the reader takes
  kCannotCreate,  // the file, or its temporary file, cannot be made or put in place
  kWriteFailed,   // the system failed while writing it
};

struct IoError {
  IoFailure what = IoFailure::kNone;
  std::string path;
  std::string reason;  // the system's words; empty when it gave none

  explicit operator bool() const { return what != IoFailure::kNone; }
};

// What is wrong in a file's content, and where: a line in a format made of lines, a
// byte offset in a binary one, neither when it concerns the file as a whole.
struct ContentError {
  static constexpr std::size_t kNoOffset = static_cast<std::size_t>(-1);

  std::string path;                // empty where the reader sees bytes only
  std::size_t line = 0;            // 1 for the first line; 0 for none
  std::size_t offset = kNoOffset;  // from the start of the file
  std::string what;                // empty: nothing is wrong

  explicit operator bool() const { return !what.empty(); }
  bool AtLine() const { return line != 0; }
  bool AtByte() const { return offset != kNoOffset; }
};

// The failure of an open, from the system's error number: not found, access denied,
// or any other reason (its words kept).
IoError OpenFailure(const std::string& path, int errorNumber);

}  // namespace qh
