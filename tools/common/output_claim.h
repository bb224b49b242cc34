// The tools' side of an output set: the lock is taken before anything is written, and
// what an interrupted run left is finished or undone first, each told on standard
// error under the tool's name.
#pragma once

#include <string>
#include <vector>

#include "files/output_set.h"

namespace qh::tools {

// How long a run waits for another that writes the same outputs.
inline constexpr int kOutputWaitMilliseconds = 3000;

// Locks this run's `outputs` (one folder, one name without the extension) and recovers
// an interrupted commit; false, and said why, when the run must not go on. A journal
// this program would not have written for them is refused and left as it is.
bool ClaimOutputs(const char* tool, const std::vector<std::string>& outputs, OutputSet& set);

// After a commit that succeeded: when a signal came during it, says that the run was
// interrupted after finishing and that `output` (the `role`) is complete.
void TellInterruptedAfterFinishing(const char* tool, const std::string& output, const char* role);

}  // namespace qh::tools
