#include "tools/ov2/text_output.h"

namespace qh::ov2 {

// POSIX systems write bytes as they are.
void MakeStandardOutputBinary() {}

}  // namespace qh::ov2
