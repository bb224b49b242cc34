#include "tools/common/output_place.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/common/file_identity.h"
#include "tools/common/standard_output.h"
#include "tools/common/tell_failure.h"
#include "tools/common/console_text.h"

namespace qh::tools {

const char* Irreplaceable(const FileFacts& facts) {
  if (facts.kind == FileKind::kFolder) return std::strerror(EISDIR);
  if (facts.kind == FileKind::kOther) return "it is not a regular file";
  // Replaced, it would stay beside its successor under a temporary name, undeletable.
  if (facts.readOnly) return "it is read-only";
  return nullptr;
}

bool MayWriteOutput(const char* tool, const std::vector<std::string>& inputs,
                    const std::string& output, const char* role) {
  FileClaims claims;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    // One file named twice ("*.csv extra.csv") would put its points in twice.
    if (const auto* earlier = claims.Take(inputs[i], "input", i)) {
      Print(stderr, "%s: %s and %s are the same file\n", tool, Shown(earlier->path).c_str(),
            Shown(inputs[i]).c_str());
      return false;
    }
  }
  if (const auto* input = claims.Take(output, role, inputs.size())) {
    Print(stderr, "%s: %s: the %s %s would overwrite the input\n", tool,
                 Shown(input->path).c_str(), role, Shown(output).c_str());
    return false;
  }
  FileFacts facts;
  if (!LookAt(output, facts)) {
    TellFailure(tool, IoError{IoFailure::kCannotCreate, output, std::strerror(errno)});
    return false;
  }
  if (const char* refusal = Irreplaceable(facts)) {
    TellFailure(tool, IoError{IoFailure::kCannotCreate, output, refusal});
    return false;
  }
  return true;
}

}  // namespace qh::tools
