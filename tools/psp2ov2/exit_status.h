// The exit codes of psp2ov2; for several inputs the worst one wins.
#pragma once

namespace qh::psp2ov2 {

constexpr int kExitOk = 0;
constexpr int kExitSkipped = 1;  // some points did not fit and were left out
constexpr int kExitFailed = 2;   // an input could not be converted

}  // namespace qh::psp2ov2
