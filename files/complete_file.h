// A file that is either complete or not there. The bytes go to a temporary file in the
// target's folder; Commit puts that file in the target's place in one step, replacing
// an earlier file of the name; anything short of a successful Commit (a failure,
// Abandon, a new Open, destruction) removes the temporary file and leaves the target
// as it was. A folder that carries the target's name is never replaced.
//
// Several files that belong together (an overlay, its point list and its icon) are
// finished one by one and then committed together: all take their places, or none.
//
// The system calls go through files/file_calls.h, where tests can make them fail.
#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "files/file_calls.h"
#include "files/io_error.h"
#include "files/output_set.h"

namespace qh {

class CompleteFile {
 public:
  // What went wrong first: making the temporary file, writing or closing it, or
  // putting it in the target's place.
  enum class Failure { None, Create, Write, Replace };

  CompleteFile() = default;
  ~CompleteFile() { Abandon(); }
  CompleteFile(const CompleteFile&) = delete;
  CompleteFile& operator=(const CompleteFile&) = delete;

  // Starts a fresh file for `path`, dropping one still open. With a locked `set`, the
  // temporary file is named in its journal before it is made.
  bool Open(std::string_view path, OutputSet* set = nullptr);
  bool Write(std::string_view bytes);
  // For a second thread while this one writes on: puts `bytes` at `offset` of the file
  // at once, a part that this file's own writes have not reached and will pass over
  // (PassOver); the caller keeps the two apart. False when the system refused: the
  // reason is the file's at the next PassOver or Finish.
  bool WriteAhead(std::uint64_t offset, std::string_view bytes);
  // The next `bytes` of the file are in place, put there by WriteAhead: this file's own
  // writes go on after them. False, and failed, when a WriteAhead failed.
  bool PassOver(std::uint64_t bytes);
  // Writes out and closes the temporary file: every byte has reached the system and
  // (unless SetFlushToDisk(false)) the disk, and the target is not yet touched. Commit
  // or CommitTogether follows.
  bool Finish();
  // Finishes the file and renames it over the target. After Commit (either way) the
  // object is closed; Open starts again.
  bool Commit();
  // Drops what was written; the target keeps what it had.
  void Abandon();

  // The first failure since Open sticks: later calls fail without touching the system.
  bool Failed() const { return failure_ != Failure::None; }
  Failure WhatFailed() const { return failure_; }
  // The target named at Open, and the temporary file written meanwhile (empty once
  // committed or dropped).
  const std::string& Path() const { return path_; }
  const std::string& TemporaryPath() const { return temporary_; }
  // The first failure, with the system's words: writing, or creating (a file that
  // cannot take the target's place was, to the user, not created). Its path is the
  // target's, or that of the file of the commit that failed in its stead (the journal
  // of the set it belongs to).
  IoError Error() const;
  // After a commit that succeeded: the second name under which the earlier file was
  // kept meanwhile, when the system refused to remove it (empty otherwise), and why.
  // The new file is in place; only the user can take the old copy away.
  const std::string& Leftover() const { return leftover_; }
  const std::string& LeftoverReason() const { return leftoverReason_; }

 private:
  friend struct CommitSteps;

  bool Flush();
  // Hands `bytes` to the system, and starts the flush to the disk of what it holds.
  bool Hand(std::string_view bytes);
  // A failure of WriteAhead, kept until now: the file fails with it. False then.
  bool TakeAheadFailure();
  bool Fail(Failure what, std::string reason);
  // A failure of another file (the set's journal) that keeps this one from its place.
  bool FailBecauseOf(const IoError& other);
  void DropTemporary();

  FileHandle file_ = kNoFile;
  std::string buffer_;  // bytes not yet handed to the system
  std::uint64_t handed_ = 0, flushStarted_ = 0;  // bytes handed to the system; flushed from there
  std::atomic<int> aheadError_{0};  // the first errno of a WriteAhead
  std::string path_, temporary_, reason_, leftover_, leftoverReason_;
  std::string failedPath_;  // the file whose failure this is, when not the target
  int place_ = -1;  // in the table of temporary files that interrupts remove
  Failure failure_ = Failure::None;
};

// Finishes each file and puts all of them in their targets' places, or none: when one
// cannot be finished or renamed, the targets already replaced get their earlier files
// back (kept meanwhile under a second name), those that were new are removed, and
// every temporary file goes. The file that failed says why; the others are abandoned.
// Null entries are passed over. With a locked `set` (whose folder holds all the files),
// its journal tells before the first step what is replaced, so that a commit cut short
// by a kill can be finished or undone by the next run. Interrupts wait from the first
// rename to the last; one
// that came meanwhile ends the program after a commit that failed, and after one that
// succeeded is told by InterruptedDuringCommit, for the program to end after saying so.
bool CommitTogether(std::initializer_list<CompleteFile*> files, OutputSet* set = nullptr);

// A fresh name for a temporary file in the folder of `path` (none of that name may exist:
// create it exclusively, and pick another when one does).
std::string TemporaryNameFor(const std::string& path);
// Whether `name` (without a folder) has the shape TemporaryNameFor gives.
bool IsTemporaryName(std::string_view name);

// Whether files are flushed to the disk itself before they take their targets' places,
// and the folders after (the start value: yes). Without it a commit is as quick as the
// system's cache, and a power cut soon after may leave an empty or older file: for
// files on a RAM disk, or that are easily made again.
void SetFlushToDisk(bool flush);

// The signal that came during a commit that succeeded (once RemoveTemporaryFiles-
// OnInterrupt is in force); 0 when none did.
int InterruptedDuringCommit();

// Makes SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE and abort (on Windows: Ctrl+C,
// Ctrl+Break and closing the console) remove the temporary files of every open
// CompleteFile before the program ends, and a write past the file size limit fail
// with EFBIG instead of ending it. For command-line programs; call once at start.
void RemoveTemporaryFilesOnInterrupt();

}  // namespace qh
