// The failures of the file formats as every tool tells them on standard error, worded
// in one place, each message naming the file (escaped as Shown does) and the reason.
#pragma once

#include <string>

#include "files/io_error.h"

namespace qh::tools {

// "<tool>: cannot read <name>: <reason>" for a file being read, "cannot write" for one
// being made.
void TellFailure(const char* tool, const IoError& error);

// A file whose content is refused as a whole: "<tool>: <name>: byte <n>: <what>" in a
// binary file, where the offset is what a reader looks up; "<tool>: cannot read
// <name>: [line <n>: ]<what>" otherwise.
void TellFailure(const char* tool, const ContentError& error);

// An output that is not written because another file of its commit failed (the
// journal): "<tool>: cannot write <output>: cannot write <other>: <reason>". Its own
// failure is told as TellFailure tells it.
void TellFailureOf(const char* tool, const std::string& output, const IoError& error);

// What is wrong at a line (one left out of the result, or a byte changed), placed as
// compilers place their messages, without the tool's name: "<name>:<line>: <what>",
// and "; <consequence>" when there is one.
void TellAtLine(const ContentError& fault, const char* consequence = nullptr);

}  // namespace qh::tools
