#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "tools/ov2/text_output.h"

namespace qh::ov2 {

// The C library's text mode would write each LF as CR LF.
void MakeStandardOutputBinary() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace qh::ov2
