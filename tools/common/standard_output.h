// The end of a tool's standard output: what it printed must have arrived, or the run
// did not do what it said (a full disk, a closed pipe).
#pragma once

namespace qh::tools {

// Flushes standard output; false, and the system's reason on standard error under the
// tool's name, when any of it could not be written.
bool StandardOutputDone(const char* tool);

}  // namespace qh::tools
