#include "files/output_set.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <thread>

#include "files/complete_file.h"
#include "files/file_system.h"
#include "files/platform.h"
#include "files/spill_file.h"
#include "files/temporary_files.h"
#include "numeric/ascii.h"

namespace qh {

namespace {

// The journal: a first field that tells the phase, then three fields an entry, then the
// last; each field ends with a NUL, so that any name (a line break in it too) reads
// back as it was.
constexpr std::string_view kWriting = "quillhaven journal 1 writing";
constexpr std::string_view kCommit = "quillhaven journal 1 commit";
// A commit being undone: from here on only undone, even when it is cut short again.
constexpr std::string_view kRollback = "quillhaven journal 1 rollback";
constexpr std::string_view kLast = "end";
constexpr int kPollMilliseconds = 50;
// A journal names at most a few files: one far larger was not written here, and is
// not read in whole.
constexpr std::size_t kMostJournalBytes = std::size_t{1} << 20;
constexpr std::size_t kShownNameBytes = 255;

// The name the lock goes by: one for every output that shares the name without its
// extension, short whatever the outputs' names are.
std::string JournalName(const std::string& anyOutput) {
  std::string stem(FileNamePart(ReplaceExtension(anyOutput, ".")));
  stem.pop_back();
  if (platform::kNamesIgnoreCase) LowerAscii(stem);  // one file, however the name is written
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char c : stem) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  static const char kDigits[] = "0123456789abcdef";
  std::string name = ".qh~";
  for (int i = 0; i < 16; ++i, hash >>= 4) name.push_back(kDigits[hash & 15]);
  return name + ".jnl";
}

// Whether two names in a folder are one file's: on Windows whatever their case, as the
// journal's own name is.
bool SameName(std::string_view a, std::string_view b) {
  if (!platform::kNamesIgnoreCase) return a == b;
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

bool Exists(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0;
}

std::string Encode(std::string_view phase, const std::vector<OutputSet::Entry>& entries) {
  std::string text(phase);
  text.push_back('\0');
  for (const OutputSet::Entry& entry : entries) {
    for (const std::string* field : {&entry.target, &entry.temporary, &entry.keptAs}) {
      text += *field;
      text.push_back('\0');
    }
  }
  text += kLast;
  text.push_back('\0');
  return text;
}

// False for a journal that was not written to its end: nothing of its commit was done.
bool Decode(const std::string& text, std::string_view& phase,
            std::vector<OutputSet::Entry>& entries) {
  std::vector<std::string_view> fields;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos) return false;
    fields.push_back(rest.substr(0, end));
    rest.remove_prefix(end + 1);
  }
  if (fields.size() < 2 || fields.back() != kLast || (fields.size() - 2) % 3 != 0) return false;
  for (const std::string_view known : {kWriting, kCommit, kRollback}) {
    if (fields.front() == known) phase = known;
  }
  if (phase.empty()) return false;
  for (std::size_t i = 1; i + 1 < fields.size(); i += 3) {
    entries.push_back({std::string(fields[i]), std::string(fields[i + 1]), std::string(fields[i + 2])});
  }
  return true;
}

}  // namespace

OutputSet::Taken OutputSet::Take(const std::vector<std::string>& outputs, int waitMilliseconds) {
  Release();
  error_ = {};
  foreignName_.clear();
  writing_.clear();
  const std::string anyOutput = outputs.empty() ? std::string() : outputs.front();
  outputs_.clear();
  for (const std::string& output : outputs) outputs_.emplace_back(FileNamePart(output));
  folder_ = std::string(FolderPart(anyOutput));
  path_ = folder_ + JournalName(anyOutput);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
  for (;;) {
    errno = 0;
    const char* why = "";
    const lock_file::Result result = lock_file::TryLock(path_.c_str(), lock_, why);
    if (result == lock_file::Result::kTaken) break;
    if (result == lock_file::Result::kForeign) {
      Foreign(why);
      return Taken::kForeign;
    }
    if (result == lock_file::Result::kFailed) {
      Fail(IoFailure::kCannotCreate, path_);
      return Taken::kFailed;
    }
    if (std::chrono::steady_clock::now() >= deadline) return Taken::kBusy;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
  }
  // An interrupt removes it with the temporary files; the lock goes with the process.
  place_ = temporary_files::Add(path_);
  return Taken::kTaken;
}

bool OutputSet::Trusted(const Entry& entry) {
  const bool output = std::any_of(outputs_.begin(), outputs_.end(), [&](const std::string& name) {
    return SameName(name, entry.target);
  });
  if (!output) return Foreign("not one of this run's outputs", entry.target);
  // The temporary files' own shape admits no separator, no ".." and no other file. No
  // second name: the target was new.
  constexpr const char* kNotTemporary = "not a temporary file of this program";
  if (!IsTemporaryName(entry.temporary)) return Foreign(kNotTemporary, entry.temporary);
  if (!entry.keptAs.empty() && !IsTemporaryName(entry.keptAs)) {
    return Foreign(kNotTemporary, entry.keptAs);
  }
  return true;
}

bool OutputSet::Foreign(std::string why, std::string_view name) {
  error_ = {IoFailure::kCannotOpen, path_, std::move(why)};
  // Enough to recognize it by: no name a system takes is longer.
  foreignName_ = name.substr(0, kShownNameBytes);
  LetGo();
  return false;
}

OutputSet::Recovery OutputSet::Recover() {
  std::string text;
  std::vector<Entry> entries;
  std::string_view phase;
  if (lock_ == kNoFile || !lock_file::Read(lock_, text, kMostJournalBytes + 1) || text.empty()) {
    return Recovery::kNone;
  }
  if (text.size() > kMostJournalBytes) {
    Foreign("it is larger than 1 MiB");
    return Recovery::kForeign;
  }
  if (!Decode(text, phase, entries) || entries.empty()) {
    End();
    return Recovery::kNone;
  }
  // Every entry is looked at before anything is done about any.
  for (const Entry& entry : entries) {
    if (!Trusted(entry)) return Recovery::kForeign;
  }
  return CarryOut(phase, entries);
}

OutputSet::Recovery OutputSet::CarryOut(std::string_view phase, const std::vector<Entry>& entries) {
  // Once a temporary file of a commit has taken its target's place, the set is
  // finished with the others (each was complete on the disk before the journal was
  // written); before that, nothing is replaced yet and the temporary files go, as do
  // those of a run killed while it was still writing them.
  bool renamed = false;
  for (const Entry& entry : entries) renamed = renamed || !Exists(folder_ + entry.temporary);
  renamed = renamed && phase == kCommit;
  // A temporary file removed now must not pass for a rename later.
  if (phase == kCommit && !renamed && !Write(kRollback, entries, true)) return Recovery::kFailed;
  const FileCalls& calls = CurrentFileCalls();
  for (const Entry& entry : entries) {
    const std::string temporary = folder_ + entry.temporary;
    if (!Exists(temporary)) continue;
    errno = 0;
    const int done = renamed ? calls.rename(temporary.c_str(), (folder_ + entry.target).c_str())
                             : calls.remove(temporary.c_str());
    if (done != 0) {
      Fail(IoFailure::kWriteFailed, entry.target);
      return Recovery::kFailed;
    }
  }
  calls.syncFolder(folder_.empty() ? "." : folder_.c_str());
  for (const Entry& entry : entries) {
    if (!entry.keptAs.empty()) calls.remove((folder_ + entry.keptAs).c_str());
    // Spill files are scratch: whether the commit is finished or undone, they go.
    for (int slot = 0; slot < kSpillSlots; ++slot) {
      const std::string spill = SpillFileName(folder_ + entry.temporary, slot);
      if (Exists(spill)) calls.remove(spill.c_str());
    }
  }
  End();
  if (phase == kWriting) return Recovery::kCleared;
  return renamed ? Recovery::kFinished : Recovery::kRolledBack;
}

bool OutputSet::Write(std::string_view phase, const std::vector<Entry>& entries, bool flush) {
  errno = 0;
  if (lock_ == kNoFile) return true;
  if (lock_file::Rewrite(lock_, Encode(phase, entries), flush)) return true;
  return Fail(IoFailure::kWriteFailed, path_);
}

bool OutputSet::Fail(IoFailure what, std::string path) {
  error_ = {what, std::move(path), std::strerror(errno != 0 ? errno : EIO)};
  return false;
}

bool OutputSet::NoteTemporary(const std::string& target, const std::string& temporary) {
  Entry entry{std::string(FileNamePart(target)), std::string(FileNamePart(temporary)), {}};
  const auto same = std::find_if(writing_.begin(), writing_.end(),
                                 [&](const Entry& noted) { return noted.target == entry.target; });
  // A target's earlier temporary file was dropped, or its name was taken.
  if (same != writing_.end()) {
    *same = std::move(entry);
  } else {
    writing_.push_back(std::move(entry));
  }
  return Write(kWriting, writing_, false);
}

bool OutputSet::Begin(const std::vector<Entry>& entries, bool flush) {
  return Write(kCommit, entries, flush);
}

void OutputSet::End() {
  writing_.clear();
  Write(kWriting, {}, false);
}

void OutputSet::LeaveAsIfKilledForTest() { LetGo(); }

void OutputSet::LetGo() {
  if (lock_ == kNoFile) return;
  lock_file::Close(lock_);
  lock_ = kNoFile;
  temporary_files::Drop(place_);
  place_ = -1;
}

void OutputSet::Release() {
  if (lock_ == kNoFile) return;
  lock_file::Release(path_.c_str(), lock_);
  lock_ = kNoFile;
  temporary_files::Drop(place_);
  place_ = -1;
}

}  // namespace qh
