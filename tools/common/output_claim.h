// The tools' side of an output set: the lock is taken before anything is written, and
// what an interrupted run left is finished or undone first, each told on standard
// error under the tool's name.
#pragma once

#include <initializer_list>
#include <string>

#include "formats/complete_file.h"
#include "formats/output_set.h"

namespace qh::tools {

// How long a run waits for another that writes the same outputs.
inline constexpr int kOutputWaitMilliseconds = 3000;

// Locks the outputs that `output` belongs to and recovers an interrupted commit; false,
// and said why, when the run must not go on.
bool ClaimOutputs(const char* tool, const std::string& output, OutputSet& set);

// Tells the set's journal which temporary files are being written (null entries and
// files not open are passed over); false, and said why, when it cannot be written.
bool NoteTemporaries(const char* tool, OutputSet& set,
                     std::initializer_list<const CompleteFile*> files);

// After a commit that succeeded: when a signal came during it, says that the run was
// interrupted after finishing and that `output` (the `role`) is complete.
void TellInterruptedAfterFinishing(const char* tool, const std::string& output, const char* role);

}  // namespace qh::tools
