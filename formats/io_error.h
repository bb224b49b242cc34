// What went wrong with a file, in one shape for every reader and writer of the file
// formats: the kind of failure, the file, and the system's words for it. Each front end
// tells it in its own language: the program in its boxes, the tools on standard error.
#pragma once

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

// The failure of an open, from the system's error number: not found, access denied,
// or any other reason (its words kept).
IoError OpenFailure(const std::string& path, int errorNumber);

}  // namespace qh
