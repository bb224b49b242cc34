// The system's file calls, one per platform half (file_calls_posix.cpp,
// file_calls_win.cpp); file_calls.cpp gathers them in the table.
#pragma once

#include "files/file_calls.h"

namespace qh {

// Windows halves: the nearest C runtime code of the last Windows error, for its
// wording; the one table of them for every Windows call behind a file.
int ErrnoOfLastError();

}  // namespace qh

namespace qh::system_calls {

FileHandle CreateNew(const char* path);
std::ptrdiff_t Write(FileHandle file, const void* bytes, std::size_t size);
int Close(FileHandle file);
int Rename(const char* from, const char* to);
int Remove(const char* path);
int Link(const char* existing, const char* name);
int Sync(FileHandle file);
int SyncFolder(const char* folder);
FileHandle OpenRead(const char* path);
std::ptrdiff_t Read(FileHandle file, void* bytes, std::size_t size);
int StartFlush(FileHandle file, std::uint64_t from, std::uint64_t size);
std::ptrdiff_t WriteAt(FileHandle file, const void* bytes, std::size_t size, std::uint64_t offset);
std::ptrdiff_t ReadAt(FileHandle file, void* bytes, std::size_t size, std::uint64_t offset);

}  // namespace qh::system_calls
