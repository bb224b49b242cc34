#include "formats/asc_halves_reader.h"

#include <cstring>
#include <exception>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "formats/chunk_queue.h"
#include "files/file_calls.h"
#include "files/file_system.h"

namespace qh {
namespace {

// The second half's lines wait in chunks; so many bytes of them at most, so that a
// file of any size is read in bounded memory.
constexpr std::size_t kChunkLines = 4096;
constexpr std::size_t kQueuedBytes = std::size_t{8} << 20;

// Where the line after the middle of the file starts (the byte after the first LF at or
// past the middle); 0 when none is found within the longest line, or the file does not
// read.
std::uint64_t FindMiddle(const std::string& path, std::uint64_t size) {
  IoError error;
  const FileHandle file = OpenToRead(path, error);
  if (file == kNoFile) return 0;
  const FileCalls& calls = CurrentFileCalls();
  std::vector<char> piece(std::size_t{64} << 10);
  std::uint64_t middle = 0;
  for (std::uint64_t at = size / 2; middle == 0 && at < size && at - size / 2 <= kAscLineLimit;) {
    const std::ptrdiff_t got = calls.readAt(file, piece.data(), piece.size(), at);
    if (got <= 0) break;
    const auto* feed = static_cast<const char*>(std::memchr(piece.data(), '\n', static_cast<std::size_t>(got)));
    if (feed != nullptr) middle = at + static_cast<std::uint64_t>(feed - piece.data()) + 1;
    at += static_cast<std::uint64_t>(got);
  }
  calls.close(file);
  return middle < size ? middle : 0;
}

}  // namespace

// The second half, read on a thread of its own into chunks of lines.
class AscSecondHalf {
 public:
  struct Line {
    AscReader::Result kind;  // kPoint or kBadLine
    bool nulInText;
    std::size_t number;
    double longitude, latitude;
    std::int32_t longitudeUnits, latitudeUnits;
    std::size_t textEnd;  // the point's text, or the bad line's reason, ends here in `bytes`
  };
  // The lines are numbered from the middle: the first half's count is not known here.
  // How the half ended: read to its end or a failure (`usable`), or not to be used at all
  // (it could not be opened), or with an exception of its thread, which comes out on
  // the reader's.
  struct Outcome {
    bool usable = false;
    std::exception_ptr thrown;
    AscReader::Result end = AscReader::Result::kEnd;  // kEnd or kFailed
    IoError error;
    std::size_t lineNumber = 0;
  };

  AscSecondHalf(const std::string& path, std::uint64_t middle)
      : path_(path), middle_(middle), thread_([this] { Run(); }) {}
  ~AscSecondHalf() {
    queue_.LetGo();
    thread_.join();
  }
  AscSecondHalf(const AscSecondHalf&) = delete;
  AscSecondHalf& operator=(const AscSecondHalf&) = delete;

  // The next line, waiting for it, with its text; null at the end (see Ended).
  const Line* Next(std::string_view& text) {
    if (taken_ == current_.lines.size()) {
      if (!queue_.Take(current_)) return nullptr;
      taken_ = 0;
    }
    const Line& line = current_.lines[taken_];
    const std::size_t start = taken_ == 0 ? 0 : current_.lines[taken_ - 1].textEnd;
    text = std::string_view(current_.bytes).substr(start, line.textEnd - start);
    ++taken_;
    return &line;
  }
  // How it ended, once Next gave null.
  const Outcome& Ended() const { return outcome_; }

 private:
  struct Chunk {
    std::vector<Line> lines;
    std::string bytes;
    std::size_t Bytes() const { return lines.size() * sizeof(Line) + bytes.size(); }
    void Clear() {
      lines.clear();
      bytes.clear();
    }
  };

  void Run() {
    Outcome outcome;
    try {
      outcome = Read();
      if (outcome.usable && !filling_.lines.empty()) queue_.Hand(filling_, filling_.Bytes());
    } catch (...) {  // running out of memory
      outcome.usable = true;
      outcome.thrown = std::current_exception();
    }
    outcome_ = outcome;  // the reader looks at it once the queue is closed
    queue_.Close();
  }

  Outcome Read() {
    Outcome outcome;
    AscReader reader;
    if (!reader.Open(path_, AscPart{middle_, AscPart::kEnd, 0, true})) return outcome;
    AscPoint point;
    for (;;) {
      const AscReader::Result result = reader.Next(point);
      if (result == AscReader::Result::kEnd || result == AscReader::Result::kFailed) {
        outcome.usable = true;
        outcome.end = result;
        outcome.error = reader.Error();
        outcome.lineNumber = reader.LineNumber();
        return outcome;
      }
      const bool bad = result == AscReader::Result::kBadLine;
      const ContentError badLine = bad ? reader.BadLine() : ContentError{};
      const std::string_view text = bad ? std::string_view(badLine.what) : point.text;
      filling_.bytes.append(text);
      filling_.lines.push_back(Line{result, point.nulInText && !bad, reader.LineNumber(),
                                    point.longitude, point.latitude, point.longitudeUnits,
                                    point.latitudeUnits, filling_.bytes.size()});
      // Refused once the reader has let go: nothing more is wanted.
      if (filling_.lines.size() == kChunkLines && !queue_.Hand(filling_, filling_.Bytes())) return {};
    }
  }

  const std::string path_;
  const std::uint64_t middle_;
  Chunk filling_;  // the thread's own
  ChunkQueue<Chunk> queue_{kQueuedBytes};
  Outcome outcome_;
  // The reader's own.
  Chunk current_;
  std::size_t taken_ = 0;
  std::thread thread_;  // last: it starts once the rest is made
};

AscHalvesReader::AscHalvesReader(std::uint64_t halvesFrom) : halvesFrom_(halvesFrom) {}
AscHalvesReader::~AscHalvesReader() = default;

bool AscHalvesReader::Open(const std::string& path) {
  second_.reset();
  path_ = path;
  error_ = {};
  badLine_ = {};
  lineNumber_ = 0;
  restUsed_ = false;
  phase_ = Phase::kOver;
  PathFacts facts;
  if (CurrentFileCalls().look(path.c_str(), &facts) != 0) facts = PathFacts{};
  const bool large = facts.kind == PathKind::kFile && facts.size >= halvesFrom_;
  middle_ = large ? FindMiddle(path, facts.size) : 0;
  const AscPart firstPart = middle_ == 0 ? AscPart{} : AscPart{0, middle_, 0, false};
  if (!first_.Open(path, firstPart)) {
    error_ = first_.Error();
    return false;
  }
  phase_ = Phase::kFirst;
  if (middle_ != 0) {
    try {
      second_ = std::make_unique<AscSecondHalf>(path, middle_);
    } catch (const std::system_error&) {  // no second thread: the rest is read here
    }
  }
  return true;
}

AscReader::Result AscHalvesReader::Next(AscPoint& point) {
  switch (phase_) {
    case Phase::kFirst: {
      const AscReader::Result result = first_.Next(point);
      if (result == AscReader::Result::kPoint || result == AscReader::Result::kBadLine) return result;
      lineNumber_ = first_.LineNumber();
      if (result == AscReader::Result::kFailed) {
        error_ = first_.Error();
        phase_ = Phase::kOver;
        second_.reset();
        return result;
      }
      return AfterFirst(point);
    }
    case Phase::kSecond: return FromSecond(point);
    case Phase::kRest: return FromRest(point);
    case Phase::kOver: break;
  }
  return error_ ? AscReader::Result::kFailed : AscReader::Result::kEnd;
}

AscReader::Result AscHalvesReader::AfterFirst(AscPoint& point) {
  if (middle_ == 0 || first_.EndedAtEndOfFileMark()) {
    phase_ = Phase::kOver;
    second_.reset();
    return AscReader::Result::kEnd;
  }
  // The second half's lines are the file's own when a point came before them, so that
  // none is a title; they are numbered on from the first half's.
  if (second_ && first_.SeenPoint()) {
    linesBefore_ = first_.LineNumber();
    phase_ = Phase::kSecond;
    return FromSecond(point);
  }
  ReadRestHere();
  return Next(point);
}

AscReader::Result AscHalvesReader::FromSecond(AscPoint& point) {
  std::string_view text;
  const AscSecondHalf::Line* line = second_->Next(text);
  if (line == nullptr) {
    const AscSecondHalf::Outcome& outcome = second_->Ended();
    if (!outcome.usable) {  // it could not start: the rest is read here
      ReadRestHere();
      return Next(point);
    }
    if (outcome.thrown) std::rethrow_exception(outcome.thrown);
    lineNumber_ = linesBefore_ + outcome.lineNumber;
    error_ = outcome.error;
    if (error_.what == IoFailure::kTooLarge) error_ = AscLineTooLong(path_, lineNumber_ + 1);
    phase_ = Phase::kOver;
    return outcome.end;
  }
  lineNumber_ = linesBefore_ + line->number;
  if (line->kind == AscReader::Result::kBadLine) {
    badLine_ = {path_, lineNumber_, ContentError::kNoOffset, std::string(text)};
    return AscReader::Result::kBadLine;
  }
  badLine_ = {};
  point.longitude = line->longitude;
  point.latitude = line->latitude;
  point.longitudeUnits = line->longitudeUnits;
  point.latitudeUnits = line->latitudeUnits;
  point.text = text;
  point.nulInText = line->nulInText;
  return AscReader::Result::kPoint;
}

void AscHalvesReader::ReadRestHere() {
  second_.reset();
  phase_ = Phase::kRest;
  restUsed_ = true;
  if (!rest_.Open(path_, AscPart{middle_, AscPart::kEnd, first_.LineNumber(), first_.SeenPoint()})) {
    error_ = rest_.Error();
    phase_ = Phase::kOver;
  }
}

AscReader::Result AscHalvesReader::FromRest(AscPoint& point) {
  const AscReader::Result result = rest_.Next(point);
  if (result == AscReader::Result::kPoint || result == AscReader::Result::kBadLine) return result;
  lineNumber_ = rest_.LineNumber();
  if (result == AscReader::Result::kFailed) error_ = rest_.Error();
  phase_ = Phase::kOver;
  return result;
}

std::size_t AscHalvesReader::LineNumber() const {
  if (phase_ == Phase::kFirst) return first_.LineNumber();
  if (phase_ == Phase::kRest) return rest_.LineNumber();
  return lineNumber_;
}

ContentError AscHalvesReader::BadLine() const {
  if (phase_ == Phase::kFirst) return first_.BadLine();
  if (phase_ == Phase::kRest) return rest_.BadLine();
  return phase_ == Phase::kSecond ? badLine_ : ContentError{};
}

const IoError& AscHalvesReader::Error() const { return error_; }

std::size_t AscHalvesReader::TitleLines() const {
  // The second half has none: a point came before it.
  return first_.TitleLines() + (restUsed_ ? rest_.TitleLines() : 0);
}

}  // namespace qh
