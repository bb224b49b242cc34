// Whether a tool may write its output where it was asked to.
#pragma once

#include <string>
#include <vector>

#include "tools/common/file_identity.h"

namespace qh::tools {

// True when the `inputs` are distinct files and `output` is none of them (by identity,
// see FileClaims), and what has its name now, if anything, is a regular file that may be
// replaced. Otherwise says why on standard error under `tool`'s name, calling the output
// by `role` ("overlay").
bool MayWriteOutput(const char* tool, const std::vector<std::string>& inputs,
                    const std::string& output, const char* role);

// Why what `facts` describe may not be replaced by an output (a folder, a device, a file
// marked read-only), or null when it may.
const char* Irreplaceable(const FileFacts& facts);

}  // namespace qh::tools
