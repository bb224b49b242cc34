// The exit codes of the command-line tools; for several inputs the worst one wins.
#pragma once

namespace qh::tools {

constexpr int kExitOk = 0;
constexpr int kExitSkipped = 1;  // some points did not fit and were left out
constexpr int kExitFailed = 2;   // an input could not be read or an output not written

}  // namespace qh::tools
