// The end of a tool's standard output: what it printed must have arrived, or the run
// did not do what it said (a full disk, a closed pipe).
#pragma once

#include <string>
#include <string_view>

namespace qh::tools {

// A file name as a message shows it: as it is, or, when it holds a line break or another
// control character, in double quotes with those characters escaped ("a\nb.psp"), so
// that one message stays one line and the name can be told from the words around it.
std::string Shown(std::string_view name);

// Flushes standard output; false, and the system's reason on standard error under the
// tool's name, when any of it could not be written.
bool StandardOutputDone(const char* tool);

}  // namespace qh::tools
