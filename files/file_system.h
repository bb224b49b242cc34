// The file module of the formats: the parts of a path, whether a file is there and
// which version of it, reading a small file whole, and the folder a program stands in.
// Both "/" and "\" separate folders, so a Windows path reads the same on every system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/file_calls.h"
#include "files/io_error.h"

namespace qh {

// The file name part of a path (after the last "/" or "\").
std::string_view FileNamePart(std::string_view path);
// The folder part of a path including its last separator; empty when there is none.
std::string_view FolderPart(std::string_view path);
// `path` with the extension of its file name (from its last ".") replaced by
// `extension` (which starts with "."), or with `extension` added when it has none.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

// The extension of the file name in `path` (after its last "."), in lower case ASCII and
// without the dot; empty when it has none.
std::string LowerCaseExtension(std::string_view path);

// True when `path` names an existing plain file (not a folder or a device). The name
// is used exactly as given, as the platform's narrow path.
bool FileExists(std::string_view path);
// True when `path` names an existing folder.
bool IsFolder(std::string_view path);
// Makes the folder `path` (its parent must exist); true when it is there afterwards,
// made now or before.
bool MakeFolder(const std::string& path);
// Opens `path` for reading through the file calls (close it with their `close`); kNoFile,
// with the reason in `error`, when it does not open. A folder is told as a folder: it
// opens on some systems, fails only at the first read on others, and is refused as
// "access denied" on Windows.
FileHandle OpenToRead(const std::string& path, IoError& error);

// Enough of a file's state to tell that another file took its name or that it was
// written since: its size, its last write to the system's finest step, and the file
// itself (a file renamed into the name is a different one, whatever its time).
struct FileStamp {
  bool exists = false;
  long long size = 0;
  long long changed = 0;
  unsigned long long identity = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(std::string_view path);

// Opens `path`, a regular file, for reading through the file calls (close it with
// their `close`), and tells what the system knows of it in `facts` (kAbsent when it
// would not say); kNoFile, with the reason in `error`, for a folder, a FIFO or a device
// (a FIFO without a writer would block the open, and a device never ends), or a file
// that does not open.
FileHandle OpenRegularFile(const std::string& path, PathFacts& facts, IoError& error);

// The whole file into `bytes`; false with the error when it cannot be opened or read,
// is not a regular file (a FIFO, a device), or holds more than `limit` bytes (so that
// an endless input ends).
bool ReadWholeFile(std::string_view path, std::size_t limit, std::string& bytes, IoError& error);
// The failure ReadWholeFile tells for a file of more than `limit` bytes.
IoError TooLargeToRead(const std::string& path, std::size_t limit);

// The bytes the volume that holds `folder` (empty: the current folder) takes before it
// is full, as far as this user may fill it; false, with the system's words in `error`,
// when the system does not say.
bool FreeDiskBytes(const std::string& folder, std::uint64_t& bytes, IoError& error);

// The folder this program stands in, with its separator; empty when unknown. `argv0`
// is the program's first argument, used where the system cannot say.
std::string ProgramFolder(const char* argv0);

}  // namespace qh
