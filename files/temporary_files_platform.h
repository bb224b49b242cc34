// What the table of temporary files asks of the platform half it is built with
// (temporary_files_posix.cpp or temporary_files_win.cpp).
#pragma once

namespace qh::temporary_files {

// Removes `path` with a call that is safe inside a signal handler.
void RemoveFile(const char* path);
// False once the process is being ended: no new files go into the table then.
bool TakingFiles();

}  // namespace qh::temporary_files
