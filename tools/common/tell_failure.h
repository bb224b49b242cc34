// A failure of the file formats as every tool tells it on standard error, worded in
// one place: "<tool>: cannot read <name>: <reason>" for a file being read,
// "cannot write" for one being made.
#pragma once

#include "formats/io_error.h"

namespace qh::tools {

void TellFailure(const char* tool, const IoError& error);

}  // namespace qh::tools
