// The start of every command-line tool: temporary files go on an interrupt, and running
// out of memory is told and ends the run with 2 (the files being written are gone by
// then), never with an uncaught exception.
#pragma once

namespace qh::tools {

int GuardedMain(const char* tool, int argc, char** argv, int (*run)(int argc, char** argv));

}  // namespace qh::tools
