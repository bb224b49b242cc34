#include "converter/unit_files.h"

#include <string_view>

namespace qh {
namespace {

std::string_view Condition(IoFailure what) {
  switch (what) {
    case IoFailure::kNone:
      break;
    case IoFailure::kNotFound:
      return "file not found";
    case IoFailure::kAccessDenied:
      return "access denied";
    case IoFailure::kIsFolder:
      return "the name is a folder";
    case IoFailure::kCannotOpen:
      return "cannot open file";
    case IoFailure::kEndOfFile:
      return "end-of-file during read";
    case IoFailure::kReadFailed:
      return "error during read";
    case IoFailure::kTooLarge:
      return "file too large";
    case IoFailure::kCannotCreate:
      return "cannot create file";
    case IoFailure::kWriteFailed:
      return "error during write";
  }
  return {};
}

}  // namespace

std::string UnitMessage(const IoError& error, int unit) {
  if (!error) return {};
  std::string text(Condition(error.what));
  // Where the condition alone does not say why (a full disk, a folder that may not be
  // written to, a drive gone), the system's own words follow it.
  const bool systemSaysWhy = error.what == IoFailure::kCannotOpen ||
                             error.what == IoFailure::kReadFailed ||
                             error.what == IoFailure::kCannotCreate ||
                             error.what == IoFailure::kWriteFailed;
  if (systemSaysWhy && !error.reason.empty()) {
    text += " (";
    text += error.reason;
    text += ')';
  }
  text += ", unit ";
  text += std::to_string(unit);
  text += ", file ";
  text += error.path;
  return text;
}

}  // namespace qh
