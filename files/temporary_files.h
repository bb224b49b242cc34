// The table of temporary files that exist right now, kept so that an interrupt (a
// signal, or Ctrl+C and console close on Windows) can remove them before the process
// ends. Its room is fixed and filled without allocation, and removing the files takes
// only calls that are safe inside a signal handler.
#pragma once

#include <cstddef>
#include <string>

#include "files/file_calls.h"
#include "files/platform.h"

namespace qh::temporary_files {

// The longest name the table holds, its closing NUL included.
inline constexpr std::size_t kPathBytes = platform::kPathBytes;

// Enters `path`; the place to hand to Drop, or -1 when the table is full or the name
// longer than a place holds.
int Add(const std::string& path);
// Forgets the file at `place` (it was renamed or removed); -1 is ignored.
void Drop(int place);
// What a writer of a temporary file does when it gives the file up: closes `file` when
// open, removes `path` when named, and forgets its `place`; all three are left empty.
void Discard(FileHandle& file, std::string& path, int& place);
// Removes every file in the table with the system's own call.
void RemoveAll();
// Makes interrupts remove the files in the table before the process ends; an
// interrupt that was ignored when the program started stays ignored. SIGXFSZ is
// ignored, so that a write past the file size limit fails with EFBIG.
void RemoveOnInterrupt();

// While one lives, the interrupts wait: a commit of several files is not cut in two.
// (POSIX: they are blocked for the calling thread; Windows: the console handler waits.)
// Once RemoveOnInterrupt is in force, an interrupt that arrived meanwhile is not
// delivered when it ends but kept for TakeHeldInterrupt: the caller decides whether
// the work it held them for still ends the program.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  platform::SignalMask saved_;  // the thread's signal mask before
};

// The signal that arrived while interrupts were held, and forgets it; 0 when none
// (always on Windows, whose console handler waits instead).
int TakeHeldInterrupt();
// Ends the program as `signal` would have: the files in the table are removed first.
void EndBy(int signal);

}  // namespace qh::temporary_files
