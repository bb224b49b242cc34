#include "tools/common/output_claim.h"

#include <cstdio>

#include "files/complete_file.h"
#include "tools/common/standard_output.h"
#include "tools/common/tell_failure.h"
#include "tools/common/console_text.h"

namespace qh::tools {

namespace {

// The journal is left for the user: what is wrong with it, and where it is.
void TellForeign(const char* tool, const OutputSet& set) {
  const std::string why = set.ForeignName().empty()
                              ? set.Error().reason
                              : "it names " + Shown(set.ForeignName()) + ", " + set.Error().reason;
  Print(stderr, "%s: %s was not written by this program (%s): remove it, or look at what it "
               "names\n", tool, Shown(set.Path()).c_str(), why.c_str());
}

bool TellRecovery(const char* tool, const std::string& output, OutputSet& set) {
  switch (set.Recover()) {
    case OutputSet::Recovery::kNone:
      return true;
    case OutputSet::Recovery::kFinished:
      Print(stderr, "%s: %s: finished the commit of an interrupted run first; its "
                   "outputs are in place\n", tool, Shown(output).c_str());
      return true;
    case OutputSet::Recovery::kRolledBack:
      Print(stderr, "%s: %s: rolled back the commit of an interrupted run first; the "
                   "earlier outputs stay\n", tool, Shown(output).c_str());
      return true;
    case OutputSet::Recovery::kCleared:
      Print(stderr, "%s: %s: removed the temporary files of an interrupted run first\n",
                   tool, Shown(output).c_str());
      return true;
    case OutputSet::Recovery::kForeign:
      TellForeign(tool, set);
      return false;
    case OutputSet::Recovery::kFailed:
      break;
  }
  // A failure of the journal itself is told by its reason; one of an output, by the
  // output's name in the folder and its reason.
  const IoError& error = set.Error();
  const std::string why =
      error.path == set.Path() ? error.reason : error.path + ": " + error.reason;
  Print(stderr, "%s: cannot finish an interrupted run's outputs beside %s: %s\n", tool,
               Shown(output).c_str(), why.c_str());
  return false;
}

}  // namespace

bool ClaimOutputs(const char* tool, const std::vector<std::string>& outputs, OutputSet& set) {
  const std::string& output = outputs.front();
  switch (set.Take(outputs, kOutputWaitMilliseconds)) {
    case OutputSet::Taken::kTaken:
      return TellRecovery(tool, output, set);
    case OutputSet::Taken::kBusy:
      Print(stderr, "%s: %s is being written by another run\n", tool, Shown(output).c_str());
      return false;
    case OutputSet::Taken::kForeign:
      TellForeign(tool, set);
      return false;
    case OutputSet::Taken::kFailed:
      break;
  }
  // Its folder takes no new file (read-only, refused): that is what the user needs to
  // hear, about the output itself.
  TellFailure(tool, IoError{IoFailure::kCannotCreate, output, set.Error().reason});
  return false;
}

void TellInterruptedAfterFinishing(const char* tool, const std::string& output, const char* role) {
  if (InterruptedDuringCommit() == 0) return;
  Print(stderr, "%s: %s: interrupted after finishing; the %s is complete\n", tool,
               Shown(output).c_str(), role);
}

}  // namespace qh::tools
