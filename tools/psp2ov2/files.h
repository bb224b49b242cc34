// The few file dealings of psp2ov2 beyond its readers and writers: the icon is read
// whole, looked for in two places, and one of them is beside the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qh::psp2ov2 {

// False with the system's words in `error` when the file cannot be opened or read, or
// holds more than `limit` bytes (so that an endless input ends).
bool ReadWholeFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                   std::string& error);
// True when `path` opens for reading; one that does not counts as missing.
bool FileExists(const std::string& path);
// The folder this program stands in, with its separator; empty when unknown.
std::string ProgramFolder(const char* argv0);

}  // namespace qh::psp2ov2
