#include "tools/common/tell_failure.h"

#include <cstdio>

#include "tools/common/standard_output.h"
#include "tools/common/console_text.h"

namespace qh::tools {

void TellFailure(const char* tool, const IoError& error) {
  const bool writing =
      error.what == IoFailure::kCannotCreate || error.what == IoFailure::kWriteFailed;
  Print(stderr, "%s: cannot %s %s: %s\n", tool, writing ? "write" : "read",
               Shown(error.path).c_str(), error.reason.c_str());
}

void TellFailure(const char* tool, const ContentError& error) {
  const std::string name = Shown(error.path);
  if (error.AtByte()) {
    Print(stderr, "%s: %s: byte %zu: %s\n", tool, name.c_str(), error.offset,
                 error.what.c_str());
  } else if (error.AtLine()) {
    Print(stderr, "%s: cannot read %s: line %zu: %s\n", tool, name.c_str(), error.line,
                 error.what.c_str());
  } else {
    Print(stderr, "%s: cannot read %s: %s\n", tool, name.c_str(), error.what.c_str());
  }
}

void TellFailureOf(const char* tool, const std::string& output, const IoError& error) {
  if (error.path == output) {
    TellFailure(tool, error);
    return;
  }
  Print(stderr, "%s: cannot write %s: cannot write %s: %s\n", tool, Shown(output).c_str(),
               error.path.c_str(), error.reason.c_str());
}

void TellAtLine(const ContentError& fault, const char* consequence) {
  Print(stderr, "%s:%zu: %s%s%s\n", Shown(fault.path).c_str(), fault.line,
               fault.what.c_str(), consequence == nullptr ? "" : "; ",
               consequence == nullptr ? "" : consequence);
}

}  // namespace qh::tools
