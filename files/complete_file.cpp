#include "files/complete_file.h"


#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "files/file_system.h"
#include "files/run_both.h"
#include "files/temporary_files.h"

namespace qh {

namespace {

// Large writes reach the system in few calls; an overlay of a million points is
// written a record at a time.
constexpr std::size_t kBufferBytes = std::size_t{1} << 20;
// Bytes handed over in pieces this large go to the system as they are: copying them
// into the buffer first would cost more than the calls it saves.
constexpr std::size_t kDirectBytes = std::size_t{1} << 16;
// The disk is set to writing a file's bytes every time this many more were handed to
// the system: the writing goes on while the program works, and the sync before the
// commit waits only for the last of them.
constexpr std::uint64_t kFlushAhead = std::uint64_t{4} << 20;
constexpr int kNameAttempts = 8;
constexpr std::string_view kTemporaryStart = ".qh~", kTemporaryEnd = ".tmp";

std::atomic<bool> flushToDisk{true};

std::string SystemReason(int code) { return std::strerror(code != 0 ? code : EIO); }

bool Exists(const std::string& path, bool& folder) {
  PathFacts facts;
  if (CurrentFileCalls().look(path.c_str(), &facts) != 0 || facts.kind == PathKind::kAbsent) {
    return false;
  }
  folder = facts.kind == PathKind::kFolder;
  return true;
}

}  // namespace

// "<folder>.qh~XXXXXXXX.tmp": a name of its own beside the target, as short as the
// folder allows, so that any target name the system takes has a temporary file too.
// A random start per process and a counter, mixed, so that two writers of one target
// (or two runs) do not pick the same name.
std::string TemporaryNameFor(const std::string& path) {
  static const std::uint64_t seed =
      std::random_device{}() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t bits = seed + 0x9E3779B97F4A7C15ull * ++counter;
  bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9ull;
  bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBull;
  bits ^= bits >> 31;
  static const char kDigits[] = "0123456789abcdef";
  std::string name(FolderPart(path));
  name += kTemporaryStart;
  for (int i = 0; i < 8; ++i, bits >>= 4) name.push_back(kDigits[bits & 15]);
  name += kTemporaryEnd;
  return name;
}

bool IsTemporaryName(std::string_view name) {
  constexpr std::size_t kDigitCount = 8;
  if (name.size() != kTemporaryStart.size() + kDigitCount + kTemporaryEnd.size() ||
      !name.starts_with(kTemporaryStart) || !name.ends_with(kTemporaryEnd)) {
    return false;
  }
  const std::string_view digits = name.substr(kTemporaryStart.size(), kDigitCount);
  return std::all_of(digits.begin(), digits.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

namespace {

// Hands all of `bytes` to the system, to go at `offset` of the file; false with errno
// set when it takes no more. Every write names its place, so that another thread may
// fill in a later part of the file meanwhile.
bool WriteAllAt(FileHandle file, std::string_view bytes, std::uint64_t offset) {
  const FileCalls& calls = CurrentFileCalls();
  while (!bytes.empty()) {
    errno = 0;
    const std::ptrdiff_t written = calls.writeAt(file, bytes.data(), bytes.size(), offset);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
    offset += static_cast<std::uint64_t>(written);
  }
  return true;
}

}  // namespace

bool CompleteFile::Open(std::string_view path, OutputSet* set) {
  Abandon();
  path_.assign(path);
  reason_.clear();
  failedPath_.clear();
  leftover_.clear();
  leftoverReason_.clear();
  failure_ = Failure::None;
  const FileCalls& calls = CurrentFileCalls();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = TemporaryNameFor(path_);
    // Entered before it exists, so that no moment passes in which an interrupt would
    // leave it behind.
    const int place = temporary_files::Add(name);
    if (place < 0) {
      return Fail(Failure::Create, name.size() >= temporary_files::kPathBytes
                                       ? SystemReason(ENAMETOOLONG)
                                       : std::string("too many files are being written at once"));
    }
    // Likewise named in the journal first: a kill leaves nothing the next run misses.
    if (set != nullptr && !set->NoteTemporary(path_, name)) {
      temporary_files::Drop(place);
      failedPath_ = set->Error().path;
      return Fail(Failure::Create, set->Error().reason);
    }
    errno = 0;
    const FileHandle file = calls.createNew(name.c_str());
    if (file == kNoFile) {
      const int error = errno;
      temporary_files::Drop(place);
      if (error == EEXIST) continue;  // someone else's: never overwritten
      return Fail(Failure::Create, SystemReason(error));
    }
    file_ = file;
    handed_ = flushStarted_ = 0;
    aheadError_.store(0, std::memory_order_relaxed);
    temporary_ = std::move(name);
    place_ = place;
    return true;
  }
  return Fail(Failure::Create, "no free temporary name beside the file");
}

bool CompleteFile::Write(std::string_view bytes) {
  if (Failed()) return false;
  if (file_ == kNoFile) return Fail(Failure::Write, "the file is not open");
  const bool direct = bytes.size() >= kDirectBytes;
  if (!direct && buffer_.size() + bytes.size() <= kBufferBytes) {
    buffer_.append(bytes);
    return true;
  }
  if (!Flush()) return false;
  if (!direct) {
    buffer_.append(bytes);
    return true;
  }
  return Hand(bytes);
}

bool CompleteFile::Flush() {
  if (!Hand(buffer_)) return false;
  buffer_.clear();
  return true;
}

bool CompleteFile::Hand(std::string_view bytes) {
  if (!WriteAllAt(file_, bytes, handed_)) return Fail(Failure::Write, SystemReason(errno));
  handed_ += bytes.size();
  if (flushToDisk && handed_ - flushStarted_ >= kFlushAhead) {
    // Whole pages only: one still being filled would make the next write wait for it.
    const std::uint64_t end = handed_ & ~std::uint64_t{0xFFFF};
    CurrentFileCalls().startFlush(file_, flushStarted_, end - flushStarted_);
    flushStarted_ = end;
  }
  return true;
}

bool CompleteFile::WriteAhead(std::uint64_t offset, std::string_view bytes) {
  if (WriteAllAt(file_, bytes, offset)) {
    if (flushToDisk) CurrentFileCalls().startFlush(file_, offset, bytes.size());
    return true;
  }
  int none = 0;
  aheadError_.compare_exchange_strong(none, errno != 0 ? errno : EIO);
  return false;
}

bool CompleteFile::TakeAheadFailure() {
  const int error = aheadError_.exchange(0);
  return error == 0 || Fail(Failure::Write, SystemReason(error));
}

bool CompleteFile::PassOver(std::uint64_t bytes) {
  if (Failed() || !TakeAheadFailure() || !Flush()) return false;
  handed_ += bytes;
  flushStarted_ = handed_;  // those bytes were set to writing as they came
  return true;
}

bool CompleteFile::Finish() {
  if (Failed() || !TakeAheadFailure()) return false;
  if (file_ == kNoFile) {
    // Finished already, or never opened (or committed).
    return !temporary_.empty() || Fail(Failure::Write, "the file is not open");
  }
  if (!Flush()) return false;
  std::string().swap(buffer_);
  const FileCalls& calls = CurrentFileCalls();
  // On the disk before it takes the target's place: after a power cut the target is
  // the earlier file or the whole new one, never a name for bytes not yet written.
  errno = 0;
  if (flushToDisk && calls.sync(file_) != 0) return Fail(Failure::Write, SystemReason(errno));
  errno = 0;
  const int closed = calls.close(file_);
  file_ = kNoFile;
  if (closed != 0) return Fail(Failure::Write, SystemReason(errno));
  return true;
}

bool CompleteFile::Commit() { return CommitTogether({this}); }

void CompleteFile::Abandon() { DropTemporary(); }

bool CompleteFile::Fail(Failure what, std::string reason) {
  if (!Failed()) {
    failure_ = what;
    reason_ = std::move(reason);
  }
  DropTemporary();
  return false;
}

bool CompleteFile::FailBecauseOf(const IoError& other) {
  if (!Failed()) failedPath_ = other.path;
  return Fail(Failure::Replace, other.reason);
}

void CompleteFile::DropTemporary() {
  std::string().swap(buffer_);
  temporary_files::Discard(file_, temporary_, place_);
}

// The steps of a commit of several files, with what each target was before: absent,
// or present and kept under a second name until all are in place (the last one renamed
// is never needed back).
struct CommitSteps {
  struct Target {
    CompleteFile* file;
    bool existed = false;
    std::string keptAs;
  };
  std::vector<Target> targets;
  OutputSet* set = nullptr;

  void AbandonAll() {
    for (Target& target : targets) target.file->Abandon();
  }

  // Looks at each target and keeps an earlier file under a second name, telling the
  // journal first; false when a folder has a target's name or the journal cannot be
  // written.
  bool KeepEarlier() {
    for (Target& target : targets) {
      CompleteFile& file = *target.file;
      bool folder = false;
      target.existed = Exists(file.path_, folder);
      // Said plainly rather than left to each system's rename rules.
      if (folder) {
        file.Fail(CompleteFile::Failure::Replace, SystemReason(EISDIR));
        AbandonAll();
        return false;
      }
      if (target.existed && &target != &targets.back()) target.keptAs = TemporaryNameFor(file.path_);
    }
    if (!BeginJournal()) return false;
    const FileCalls& calls = CurrentFileCalls();
    for (Target& target : targets) {
      // A volume without hard links (FAT) gives no second name: that file cannot come
      // back, and the others still do.
      if (!target.keptAs.empty() &&
          calls.link(target.file->path_.c_str(), target.keptAs.c_str()) != 0) {
        target.keptAs.clear();
      }
    }
    return true;
  }

  bool BeginJournal() {
    if (set == nullptr) return true;
    std::vector<OutputSet::Entry> entries;
    for (const Target& target : targets) {
      entries.push_back({std::string(FileNamePart(target.file->path_)),
                         std::string(FileNamePart(target.file->temporary_)),
                         std::string(FileNamePart(target.keptAs))});
    }
    if (set->Begin(entries, flushToDisk)) return true;
    targets.front().file->FailBecauseOf(set->Error());
    AbandonAll();
    return false;
  }

  // Renames each temporary file over its target; when one fails, those before it get
  // their earlier files back (or go, when they were new).
  bool ReplaceAll() {
    const FileCalls& calls = CurrentFileCalls();
    for (std::size_t index = 0; index < targets.size(); ++index) {
      CompleteFile& file = *targets[index].file;
      errno = 0;
      if (calls.rename(file.temporary_.c_str(), file.path_.c_str()) == 0) {
        file.temporary_.clear();
        temporary_files::Drop(file.place_);
        file.place_ = -1;
        continue;
      }
      const std::string reason = SystemReason(errno);
      for (std::size_t j = 0; j < index; ++j) {
        Target& done = targets[j];
        if (!done.keptAs.empty()) {
          if (calls.rename(done.keptAs.c_str(), done.file->path_.c_str()) == 0) done.keptAs.clear();
        } else if (!done.existed) {
          calls.remove(done.file->path_.c_str());
        }
      }
      file.Fail(CompleteFile::Failure::Replace, reason);
      AbandonAll();
      // A second name that could not go back stays: it is the only copy of that file.
      for (std::size_t k = index; k < targets.size(); ++k) {
        if (!targets[k].keptAs.empty()) calls.remove(targets[k].keptAs.c_str());
      }
      return false;
    }
    return true;
  }

  // The renames themselves reach the disk, once for each folder. A file system that
  // cannot flush a folder (some network and FUSE ones refuse) still keeps the names;
  // the result is not refused for it.
  void SyncFolders() {
    if (!flushToDisk) return;
    std::vector<std::string> folders;
    for (const Target& target : targets) {
      std::string folder(FolderPart(target.file->path_));
      if (folder.empty()) folder = ".";
      if (std::find(folders.begin(), folders.end(), folder) != folders.end()) continue;
      CurrentFileCalls().syncFolder(folder.c_str());
      folders.push_back(std::move(folder));
    }
  }

  // After all took their places: the earlier files' second names go, from `from` on,
  // each on a thread of its own. Removing a large file keeps the system busy a while
  // (its blocks are freed, and on some disks trimmed), and two removals overlap.
  void ForgetKept(std::size_t from = 0) {
    const std::size_t first = NextKept(from);
    if (first == targets.size()) return;
    const std::size_t rest = NextKept(first + 1);
    if (rest == targets.size()) {
      Forget(targets[first]);
      return;
    }
    RunBoth([&] { Forget(targets[first]); }, [&] { ForgetKept(rest); });
  }

  std::size_t NextKept(std::size_t from) const {
    while (from < targets.size() && targets[from].keptAs.empty()) ++from;
    return from;
  }

  static void Forget(Target& target) {
    errno = 0;
    if (CurrentFileCalls().remove(target.keptAs.c_str()) != 0) {
      target.file->leftover_ = std::move(target.keptAs);
      target.file->leftoverReason_ = SystemReason(errno);
    }
  }
};

namespace {
int interruptedDuringCommit = 0;
}  // namespace

bool CommitTogether(std::initializer_list<CompleteFile*> files, OutputSet* set) {
  CommitSteps steps;
  steps.set = set;
  for (CompleteFile* file : files) {
    if (file != nullptr) steps.targets.push_back({file, false, {}});
  }
  for (CommitSteps::Target& target : steps.targets) {
    if (!target.file->Finish()) {
      steps.AbandonAll();
      return false;
    }
  }
  bool done = false;
  {
    const temporary_files::InterruptsHeld held;
    done = steps.KeepEarlier() && steps.ReplaceAll();
    if (done) {
      steps.SyncFolders();
      steps.ForgetKept();
    }
    if (set != nullptr) set->End();
  }
  // An interrupt that came meanwhile: a complete result stands and the caller says
  // so; with nothing complete to keep, the program ends as it was asked to.
  const int signal = temporary_files::TakeHeldInterrupt();
  if (signal != 0 && !done) temporary_files::EndBy(signal);
  if (signal != 0) interruptedDuringCommit = signal;
  return done;
}

int InterruptedDuringCommit() { return interruptedDuringCommit; }

void SetFlushToDisk(bool flush) { flushToDisk = flush; }

void RemoveTemporaryFilesOnInterrupt() { temporary_files::RemoveOnInterrupt(); }

IoError CompleteFile::Error() const {
  switch (failure_) {
    case Failure::None:
      return {};
    case Failure::Write:
      return {IoFailure::kWriteFailed, path_, reason_};
    case Failure::Create:
    case Failure::Replace:
      break;
  }
  return {IoFailure::kCannotCreate, failedPath_.empty() ? path_ : failedPath_, reason_};
}

}  // namespace qh
