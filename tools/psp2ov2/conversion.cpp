#include "tools/psp2ov2/conversion.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "formats/asc_writer.h"
#include "files/io_error.h"
#include "formats/pushpin_reader.h"
#include "overlay/overlay_builder.h"
#include "files/file_system.h"
#include "resources/symbol/default_symbol.h"
#include "files/complete_file.h"
#include "tools/common/output_claim.h"
#include "tools/common/output_place.h"
#include "tools/common/standard_output.h"
#include "tools/common/tell_failure.h"
#include "tools/psp2ov2/batch_pipe.h"
#include "tools/common/exit_status.h"
#include "tools/psp2ov2/line_taker.h"
#include "tools/psp2ov2/room_check.h"
#include "tools/common/file_identity.h"
#include "tools/common/console_text.h"

namespace qh::psp2ov2 {
namespace {

using tools::Shown;

constexpr std::int32_t kProgressThreshold = 100000;
constexpr std::int32_t kProgressStep = 1 << 16;
constexpr std::size_t kBatchesInFlight = 4;
// The fewest pins whose ".asc" file is flushed beside the overlay's build: a smaller
// file is on the disk sooner than a thread starts.
constexpr std::int32_t kAsideThreshold = 1 << 15;
constexpr const char* kSymbolName = "default_symbol.bmp";
// An overlay's icon is a small bitmap; more than this is not one.
constexpr std::size_t kSymbolLimit = std::size_t{16} << 20;

// A failure of the reader as a command-line tool says it. `where` is the place in the
// file.
std::string ReadFailure(const PushpinReader& reader, const std::string& where) {
  const IoError& error = reader.Error();
  if (error.what == IoFailure::kReadFailed) {
    return "cannot read it (" + where + "): " + (error.reason.empty() ? "I/O error" : error.reason);
  }
  return "file ends early (" + where + ")";
}

std::string PinPlace(std::int32_t pin, std::int32_t count) {
  return "pin " + std::to_string(pin) + " of " + std::to_string(count);
}

void CannotWrite(const CompleteFile& file) {
  tools::TellFailureOf("psp2ov2", file.Path(), file.Error());
}

// Opens the pushpin file and reads its pin count; false, and said why, when it cannot.
bool OpenPushpins(const std::string& input, PushpinReader& reader, std::int32_t& npins) {
  if (!reader.Open(input)) {
    tools::Print(stderr, "psp2ov2: %s: %s\n", Shown(input).c_str(), reader.Error().reason.c_str());
    return false;
  }
  if (!reader.ReadHeader(npins)) {
    tools::Print(stderr, "psp2ov2: %s: %s\n", Shown(input).c_str(),
                 ReadFailure(reader, "in its header").c_str());
    return false;
  }
  if (npins < 0) {
    // A count no pushpin file holds (one flipped bit makes it): not taken as none.
    tools::Print(stderr, "psp2ov2: %s: the pin count %ld is negative; not a pushpin file\n",
                 Shown(input).c_str(), static_cast<long>(npins));
    return false;
  }
  if (!reader.CanHold(npins)) {
    tools::Print(stderr, "psp2ov2: %s: %s\n", Shown(input).c_str(), TooShortFor(reader, npins).c_str());
    return false;
  }
  return true;
}

}  // namespace

bool Converter::LoadExplicitSymbol() {
  if (options_.symbol.empty()) return true;
  IoError error;
  if (!ReadWholeFile(options_.symbol, kSymbolLimit, explicitSymbol_, error)) {
    tools::Print(stderr, "psp2ov2: cannot read the symbol %s: %s\n", Shown(options_.symbol).c_str(),
                 error.reason.c_str());
    return false;
  }
  return true;
}

bool Converter::PlanOutputs() {
  const std::vector<std::string>& inputs = options_.inputs;
  tools::FileClaims claims;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (const auto* earlier = claims.Take(inputs[i], "input", i)) {
      tools::Print(stderr, "psp2ov2: %s and %s are the same file\n", Shown(earlier->path).c_str(),
                   Shown(inputs[i]).c_str());
      return false;
    }
  }
  outputs_.clear();
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    outputs_.push_back(OutputNames(inputs[i]));
    if (!MayWrite(i, claims)) return false;
  }
  // The overlay named as another kind of file (a typo for trip.ov2) would put its bytes
  // over such a file, a pushpin file among them.
  const std::string kind = LowerCaseExtension(options_.output);
  if (kind == "psp" || kind == "gpx" || kind == "csv" || kind == "svg") {
    tools::Print(stderr, "psp2ov2: %s: -o names the overlay (.ov2), not a .%s file\n",
                 Shown(options_.output).c_str(), kind.c_str());
    return false;
  }
  return true;
}

namespace {

struct Named {
  const std::string& path;
  const char* role;
};

// Says why `output` may not be written when an earlier name claimed the same file.
void TellClash(const std::vector<std::string>& inputs, std::size_t index, const Named& output,
               const tools::FileClaims::Claim& earlier) {
  const std::string shown = Shown(inputs[index]);
  const char* input = shown.c_str();
  if (earlier.role == "input") {
    tools::Print(stderr, "psp2ov2: %s: its %s %s would overwrite the input %s\n", input,
                 output.role, Shown(output.path).c_str(), Shown(earlier.path).c_str());
  } else if (earlier.owner == index && earlier.path != output.path) {
    // Two names of one file (a hard link): both are named.
    tools::Print(stderr, "psp2ov2: %s: its %s %s and its %s %s are the same file\n", input,
                 earlier.role.c_str(), Shown(earlier.path).c_str(), output.role,
                 Shown(output.path).c_str());
  } else if (earlier.owner == index) {
    tools::Print(stderr, "psp2ov2: %s: its %s and its %s would both be %s\n", input,
                 earlier.role.c_str(), output.role, Shown(output.path).c_str());
  } else {
    tools::Print(stderr, "psp2ov2: %s and %s would both write %s\n",
                 Shown(inputs[earlier.owner]).c_str(), input, Shown(output.path).c_str());
  }
}

// Why an existing `path` cannot be replaced by an output (null when it can).
const char* Refusal(const std::string& path) {
  tools::FileFacts facts;
  if (!tools::LookAt(path, facts)) return std::strerror(errno);
  return tools::Irreplaceable(facts);
}

}  // namespace

bool Converter::MayWrite(std::size_t index, tools::FileClaims& claims) {
  const Outputs& out = outputs_[index];
  std::vector<Named> written{{out.asc, ".asc file"}};
  if (!options_.ascOnly) {
    written.push_back({out.ov2, "overlay"});
    written.push_back({out.bmp, "icon"});
  }
  for (const Named& output : written) {
    if (const auto* earlier = claims.Take(output.path, output.role, index)) {
      TellClash(options_.inputs, index, output, *earlier);
      return false;
    }
    if (const char* refusal = Refusal(output.path)) {
      tools::Print(stderr, "psp2ov2: cannot write %s: %s\n", Shown(output.path).c_str(), refusal);
      return false;
    }
  }
  return true;
}

struct Converter::Job {
  explicit Job(LongitudeRule rule) : reader(rule) {}

  OutputSet set;
  PushpinReader reader;
  std::int32_t npins = 0;
  CompleteFile asc, bmp;
  OverlayBuilder overlay;
  std::size_t skipped = 0;  // lines the overlay left out
};

int Converter::Convert(std::size_t index) {
  Job job(options_.longitudeRule);
  int status = Start(index, job);
  if (status == tools::kExitOk) status = MakeLines(index, job);
  if (status == tools::kExitOk) status = CheckPointsCame(index, job);
  if (status == tools::kExitOk && !options_.ascOnly) status = FinishOverlayBeside(index, job);
  if (status != tools::kExitOk) return status;
  const bool ascOnly = options_.ascOnly;
  if (!CommitOutputs(index, job.npins, {&job.asc, ascOnly ? nullptr : &job.overlay.File(),
                                        ascOnly ? nullptr : &job.bmp}, job.set)) {
    return tools::kExitFailed;
  }
  return job.skipped > 0 ? tools::kExitSkipped : tools::kExitOk;
}

int Converter::Start(std::size_t index, Job& job) {
  const Outputs& out = outputs_[index];
  const std::vector<std::string> written =
      options_.ascOnly ? std::vector<std::string>{out.asc}
                       : std::vector<std::string>{out.asc, out.ov2, out.bmp};
  if (!tools::ClaimOutputs("psp2ov2", written, job.set)) return tools::kExitFailed;
  if (!OpenPushpins(options_.inputs[index], job.reader, job.npins)) return tools::kExitFailed;
  if (!OutputsCanFit(options_.inputs[index], job.npins, options_, out.asc)) return tools::kExitFailed;
  SetFlushToDisk(!options_.noSync);
  if (!job.asc.Open(out.asc, &job.set)) {
    CannotWrite(job.asc);
    return tools::kExitFailed;
  }
  job.overlay.SetIndexMemory(options_.indexMemory);
  if (!options_.ascOnly && !job.overlay.Open(out.ov2, options_.flat, &job.set)) {
    tools::TellFailure("psp2ov2", job.overlay.Error());
    return tools::kExitFailed;
  }
  return tools::kExitOk;
}

namespace {

// Takes the batches of lines on a second thread, a few batches behind the thread that
// makes them; without a second thread, each batch is taken where it was made.
class LinePipeline {
 public:
  explicit LinePipeline(LineTaker& taker)
      : taker_(taker), pipe_(kBatchesInFlight), end_(pipe_, worker_) {
    try {
      worker_ = std::thread([this] {
        while (LineBatch* taken = pipe_.Receive()) {
          taker_.Take(*taken);
          pipe_.Return(taken);
        }
      });
    } catch (const std::system_error&) {  // no second thread
    }
    batch_ = pipe_.Empty();
  }

  LineBatch& Batch() { return *batch_; }
  // The batch is full (or the last): on to the taker, and a fresh one to fill.
  void HandOver() {
    if (worker_.joinable()) {
      pipe_.Send(batch_);
      batch_ = pipe_.Empty();
    } else {
      taker_.Take(*batch_);
      batch_->Clear();
    }
  }
  // Every batch handed over is taken.
  void Wait() { end_.Wait(); }

 private:
  LineTaker& taker_;
  BatchPipe pipe_;
  std::thread worker_;
  WorkerEnd end_;
  LineBatch* batch_ = nullptr;
};

}  // namespace

int Converter::MakeLines(std::size_t index, Job& job) {
  const std::string& input = options_.inputs[index];
  const NotesMode mode = options_.appendNotes ? NotesMode::Append : NotesMode::Ignore;
  const bool progress = !options_.quiet && job.npins > kProgressThreshold && tools::IsTerminal(stderr);
  LineTaker taker(job.asc, options_.ascOnly ? nullptr : &job.overlay, outputs_[index].asc);
  LinePipeline pipeline(taker);
  PinView pin;
  // The taker's failure is looked at once a batch: its flag shares a cache line with
  // what the taker changes for every line.
  bool taking = true;
  for (std::int32_t i = 0; i < job.npins && taking; ++i) {
    if (!job.reader.NextPinView(pin)) {
      pipeline.Wait();
      if (progress) std::fputc('\n', stderr);
      tools::Print(stderr, "psp2ov2: %s: %s\n", Shown(input).c_str(),
                   ReadFailure(job.reader, PinPlace(i + 1, job.npins)).c_str());
      return tools::kExitFailed;  // the writers drop their temporary files
    }
    // This thread makes the lines; the taker writes them and takes their points. The
    // line's entry is filled where it stays: copied whole from fields just stored, it
    // would wait for them on every line.
    LineBatch& batch = pipeline.Batch();
    LineEnd& line = batch.ends.emplace_back();
    char* const end = PutAscLineButLatitude(batch.room.data() + batch.used,
                                            AddOffset(options_.longitudeOffset, pin.longitude),
                                            pin, mode, options_.textEncoding, line.columns);
    line.latitude = AddOffset(options_.latitudeOffset, pin.latitude);
    batch.used = static_cast<std::size_t>(end - batch.room.data());
    line.end = batch.used;
    if (batch.Full()) {
      pipeline.HandOver();
      taking = !taker.Failed() && !taker.OverlayFailed();
    }
    if (progress && (i + 1) % kProgressStep == 0) {
      tools::Print(stderr, "\r%s: %ld of %ld pins", Shown(input).c_str(),
                   static_cast<long>(i) + 1, static_cast<long>(job.npins));
    }
  }
  if (pipeline.Batch().used > 0) pipeline.HandOver();
  pipeline.Wait();
  if (progress) std::fputc('\n', stderr);
  job.reader.Close();
  job.skipped = taker.Skipped();
  if (taker.Failed()) {
    tools::TellFailure("psp2ov2", taker.Error());
    return tools::kExitFailed;
  }
  if (taker.OverlayFailed()) {
    tools::TellFailure("psp2ov2", job.overlay.Error());
    return tools::kExitFailed;
  }
  return tools::kExitOk;
}

namespace {

// Runs a task on a thread of its own, if one is to be had, and waits for it on every
// way out; without a thread the task is left undone (its owner does it later).
class AsideTask {
 public:
  template <class Task>
  explicit AsideTask(Task task) {
    try {
      thread_ = std::thread(std::move(task));
    } catch (const std::system_error&) {
    }
  }
  AsideTask(const AsideTask&) = delete;
  AsideTask& operator=(const AsideTask&) = delete;
  ~AsideTask() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

}  // namespace

int Converter::FinishOverlayBeside(std::size_t index, Job& job) {
  if (job.npins < kAsideThreshold) return FinishOverlay(index, job);
  // The ".asc" file is complete: it is written out and flushed to the disk on a second
  // thread while this one builds and writes the overlay. The commit finds it finished
  // (or failed, and says so).
  const AsideTask flush([&asc = job.asc] { asc.Finish(); });
  return FinishOverlay(index, job);
}

int Converter::CheckPointsCame(std::size_t index, Job& job) {
  const std::string& input = options_.inputs[index];
  // Pins the header does not count are not read: a count damaged to 0 would otherwise
  // give empty outputs without a word.
  const std::uint64_t more = job.reader.BytesOfMorePins();
  if (more > 0) {
    tools::Print(stderr, "psp2ov2: %s: %s\n", Shown(input).c_str(),
                 MorePinsThanCounted(job.npins, more).c_str());
  }
  // Pins that gave no point at all: no outputs, and nothing replaced. (A file of no
  // pins gives empty ones, as the program writes them.)
  const std::size_t points =
      options_.ascOnly ? static_cast<std::size_t>(job.npins) : job.overlay.Points();
  if (points == 0 && (job.skipped > 0 || more > 0)) {
    tools::Print(stderr, "psp2ov2: %s: no pin gave a point; nothing is written\n",
                 Shown(input).c_str());
    return tools::kExitSkipped;
  }
  return tools::kExitOk;
}

int Converter::FinishOverlay(std::size_t index, Job& job) {
  const Outputs& out = outputs_[index];
  if (!job.overlay.Finish()) {
    tools::TellFailure("psp2ov2", job.overlay.Error());
    return tools::kExitFailed;
  }
  std::string symbol;
  if (!SymbolBytes(out.bmp, symbol)) return tools::kExitFailed;
  if (!job.bmp.Open(out.bmp, &job.set) || !job.bmp.Write(symbol)) {
    CannotWrite(job.bmp);
    return tools::kExitFailed;
  }
  return tools::kExitOk;
}

bool Converter::CommitOutputs(std::size_t index, std::int32_t npins,
                              std::initializer_list<CompleteFile*> files, OutputSet& set) {
  const std::string& input = options_.inputs[index];
  const Outputs& out = outputs_[index];
  // All three take their places, or none does.
  if (!CommitTogether(files, &set)) {
    for (const CompleteFile* file : files) {
      if (file != nullptr && file->Failed()) CannotWrite(*file);
    }
    return false;
  }
  // The outputs are in place; an old copy the system would not let go is the user's to
  // remove, so say where it is.
  for (const CompleteFile* file : files) {
    if (file == nullptr || file->Leftover().empty()) continue;
    tools::Print(stderr, "psp2ov2: the earlier %s is still there as %s: %s\n",
                 Shown(file->Path()).c_str(), Shown(file->Leftover()).c_str(),
                 file->LeftoverReason().c_str());
  }
  if (!options_.quiet) {
    tools::Print(stdout, "%s: %ld %s -> %s\n", Shown(input).c_str(), static_cast<long>(npins),
                npins == 1 ? "pin" : "pins",
                Shown(options_.ascOnly ? out.asc : out.ov2).c_str());
  }
  if (InterruptedDuringCommit() != 0) {
    interrupted_ = true;
    tools::Print(stderr, "psp2ov2: %s: interrupted after finishing; its outputs are complete\n",
                 Shown(input).c_str());
  }
  return true;
}

Outputs Converter::OutputNames(const std::string& input) const {
  const std::string& named = options_.output.empty() ? input : options_.output;
  Outputs out;
  out.ov2 = options_.output.empty() ? ReplaceExtension(input, ".ov2") : options_.output;
  out.asc = ReplaceExtension(named, ".asc");
  out.bmp = ReplaceExtension(named, ".bmp");
  return out;
}

bool Converter::SymbolBytes(const std::string& bmp, std::string& bytes) const {
  if (!options_.symbol.empty()) {
    bytes = explicitSymbol_;
    return true;
  }
  // The output's folder, the tool's own folder, then where an installation keeps it
  // (bin/../share/quillhaven/).
  const std::string candidates[] = {std::string(FolderPart(bmp)) + kSymbolName,
                                    programFolder_ + kSymbolName,
                                    programFolder_ + "../share/quillhaven/" + kSymbolName};
  std::string source;
  for (const std::string& candidate : candidates) {
    if (programFolder_.empty() && &candidate == &candidates[2]) break;  // no folder to go from
    if (FileExists(candidate)) {
      source = candidate;
      break;
    }
  }
  if (source.empty()) {
    const std::vector<std::uint8_t> picture = DefaultSymbolBitmap();
    bytes.assign(picture.begin(), picture.end());
    return true;
  }
  IoError error;
  if (!ReadWholeFile(source, kSymbolLimit, bytes, error)) {
    tools::TellFailure("psp2ov2", error);
    return false;
  }
  return true;
}

}  // namespace qh::psp2ov2
