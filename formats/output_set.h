// The outputs of one run that are committed together (an overlay, its point list and its
// icon), seen from outside the run: one run at a time writes them, and a commit that a
// kill or a power cut cut in two is finished or undone by the next run.
//
// Both come from one small file beside the outputs, ".qh~<hash of their name>.jnl": a
// run holds an advisory lock on it (flock; LockFileEx on Windows) from before it writes
// until it is done, and before the first rename of a commit it writes there which
// targets are replaced by which temporary files, and under which second names the
// earlier files are kept; while it writes, which temporary files are its own. The file
// is removed at the end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/file_calls.h"
#include "formats/io_error.h"

namespace qh {

class OutputSet {
 public:
  enum class Taken { kTaken, kBusy, kFailed };
  // kCleared: a run killed while it wrote its temporary files; they were removed.
  enum class Recovery { kNone, kFinished, kRolledBack, kCleared, kFailed };

  // One file of a commit, by its name in the set's folder.
  struct Entry {
    std::string target, temporary, keptAs;  // keptAs: empty when the target is new
  };

  OutputSet() = default;
  ~OutputSet() { Release(); }
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Locks the set that `anyOutput` belongs to: the outputs in its folder that share its
  // name without the extension. Waits up to `waitMilliseconds` for another run to let
  // go; kBusy when it did not, kFailed (Error says why) when the lock cannot be made.
  Taken Take(const std::string& anyOutput, int waitMilliseconds);
  // After Take: finishes a commit that was cut short (when it had begun renaming) or
  // undoes it (when not). kFailed, with Error, when that cannot be done.
  Recovery Recover();
  // Removes the journal and lets the next run in; nothing when not taken.
  void Release();

  // The temporary files being written (no second names yet), so that a run killed
  // before its commit does not leave them behind for good.
  bool Note(const std::vector<Entry>& entries);
  // For CommitTogether: the commit about to begin, on the disk (when `flush`) before its
  // first step.
  bool Begin(const std::vector<Entry>& entries, bool flush = true);
  // The commit is over: the journal is emptied.
  void End();

  // For tests: lets the lock go and leaves the journal as it is, as a run that was
  // killed does.
  void LeaveAsIfKilledForTest();

  const std::string& Path() const { return path_; }
  // The last failure: of the journal (its path), or of an output that an interrupted
  // run's commit left to finish (its name in the folder).
  const IoError& Error() const { return error_; }
  // The folder of the outputs, with its separator ("" for the current folder).
  const std::string& Folder() const { return folder_; }

 private:
  bool Write(std::string_view phase, const std::vector<Entry>& entries, bool flush);

  bool Fail(IoFailure what, std::string path);

  std::string path_, folder_;
  IoError error_;
  FileHandle lock_ = kNoFile;
  int place_ = -1;  // in the table of temporary files that interrupts remove
};

// The platform's part: a lock file that is locked, rewritten and read only by its holder.
namespace lock_file {
enum class Result { kTaken, kBusy, kFailed };
// Opens or makes `path` and takes its exclusive lock without waiting; errno on kFailed.
Result TryLock(const char* path, FileHandle& handle);
// Replaces its content with `bytes` and, when `flush`, waits until they are on the disk.
bool Rewrite(FileHandle handle, const std::string& bytes, bool flush);
bool ReadAll(FileHandle handle, std::string& bytes);
// Removes the name first, so that no other run can lock the file after it is let go.
void Release(const char* path, FileHandle handle);
// Lets the lock go and keeps the file.
void Close(FileHandle handle);
}  // namespace lock_file

}  // namespace qh
