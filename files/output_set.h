// The outputs of one run that are committed together (an overlay, its point list and its
// icon), seen from outside the run: one run at a time writes them, and a commit that a
// kill or a power cut cut in two is finished or undone by the next run.
//
// Both come from one small file beside the outputs, ".qh~<hash of their name>.jnl": a
// run holds an advisory lock on it (flock; LockFileEx on Windows) from before it writes
// until it is done, and before the first rename of a commit it writes there which
// targets are replaced by which temporary files, and under which second names the
// earlier files are kept; while it writes, which temporary files are its own, each
// before it is made. The file is removed at the end.
//
// The journal is trusted only as far as this program could have written it: a regular
// file of one name, the user's own, small, whose targets are the run's own outputs and
// whose other names have the temporary files' shape, in the outputs' folder. Anything
// else is refused and left as it is (kForeign), for the user to look at.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/file_calls.h"
#include "files/io_error.h"

namespace qh {

class OutputSet {
 public:
  // kForeign: the journal was not written by this program (Error says why); nothing
  // was touched.
  enum class Taken { kTaken, kBusy, kFailed, kForeign };
  // kCleared: a run killed while it wrote its temporary files; they were removed.
  enum class Recovery { kNone, kFinished, kRolledBack, kCleared, kFailed, kForeign };

  // One file of a commit, by its name in the set's folder.
  struct Entry {
    std::string target, temporary, keptAs;  // keptAs: empty when the target is new
  };

  OutputSet() = default;
  ~OutputSet() { Release(); }
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Locks the set of this run's `outputs` (paths in one folder that share their name
  // without the extension; the first names the lock). Waits up to `waitMilliseconds`
  // for another run to let go; kBusy when it did not, kFailed (Error says why) when
  // the lock cannot be made, kForeign when the journal's name holds something this
  // program does not make there.
  Taken Take(const std::vector<std::string>& outputs, int waitMilliseconds);
  // After Take: finishes a commit that was cut short (when it had begun renaming) or
  // undoes it (when not). kFailed, with Error, when that cannot be done; kForeign, with
  // Error, when the journal names what this run would not have written: then it is
  // let go as it is, and Release leaves it.
  Recovery Recover();
  // Removes the journal and lets the next run in; nothing when not taken.
  void Release();

  // Names in the journal `temporary`, the file about to be made for the output
  // `target` (both paths, in the set's folder), before it is made: a run killed at any
  // moment then leaves no temporary file that the next run does not remove.
  bool NoteTemporary(const std::string& target, const std::string& temporary);
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
  // run's commit left to finish (its name in the folder). After kForeign: the journal's
  // path, and what is wrong with it ("it is a symbolic link"), or with ForeignName.
  const IoError& Error() const { return error_; }
  // The folder of the outputs, with its separator ("" for the current folder).
  const std::string& Folder() const { return folder_; }
  // After kForeign: what the journal names that this program would not have written
  // there (empty when the file itself is not the program's; cut to 255 bytes).
  const std::string& ForeignName() const { return foreignName_; }

 private:
  bool Write(std::string_view phase, const std::vector<Entry>& entries, bool flush);

  bool Fail(IoFailure what, std::string path);
  // Whether `entry` can be one this program wrote for this run's outputs; when not,
  // Foreign says why.
  bool Trusted(const Entry& entry);
  // Tells why the journal is not this program's (`name`: what it names that is not),
  // and lets it go as it is; false.
  bool Foreign(std::string why, std::string_view name = {});
  Recovery CarryOut(std::string_view phase, const std::vector<Entry>& entries);
  // Lets the lock go and keeps the journal as it is.
  void LetGo();

  std::string path_, folder_;
  std::vector<std::string> outputs_;  // their names in the folder
  std::vector<Entry> writing_;        // the temporary files named so far
  IoError error_;
  std::string foreignName_;
  FileHandle lock_ = kNoFile;
  int place_ = -1;  // in the table of temporary files that interrupts remove
};

// The platform's part: a lock file that is locked, rewritten and read only by its holder.
namespace lock_file {
enum class Result { kTaken, kBusy, kFailed, kForeign };
// Opens or makes `path` and takes its exclusive lock without waiting; errno on kFailed.
// A name that is not a regular file of one name made by this user (a link, a folder,
// a FIFO, another user's file) is not opened through and not locked: kForeign, and
// `why` says what it is.
Result TryLock(const char* path, FileHandle& handle, const char*& why);
// Replaces its content with `bytes` and, when `flush`, waits until they are on the disk.
bool Rewrite(FileHandle handle, const std::string& bytes, bool flush);
// Its content, but no more than `most` bytes of it.
bool Read(FileHandle handle, std::string& bytes, std::size_t most);
// Removes the name first, so that no other run can lock the file after it is let go.
void Release(const char* path, FileHandle handle);
// Lets the lock go and keeps the file.
void Close(FileHandle handle);
}  // namespace lock_file

}  // namespace qh
