#include "tools/psp2ov2/conversion.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <io.h>
#define QH_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define QH_ISATTY(fd) isatty(fd)
#endif

#include "formats/asc_writer.h"
#include "formats/io_error.h"
#include "formats/pushpin_reader.h"
#include "formats/overlay_builder.h"
#include "formats/file_system.h"
#include "resources/symbol/default_symbol.h"
#include "formats/complete_file.h"
#include "tools/common/file_identity.h"
#include "tools/common/output_claim.h"
#include "tools/common/standard_output.h"
#include "tools/common/tell_failure.h"
#include "tools/psp2ov2/batch_pipe.h"
#include "tools/psp2ov2/exit_status.h"
#include "tools/psp2ov2/line_taker.h"

namespace qh::psp2ov2 {
namespace {

using tools::Shown;

constexpr std::int32_t kProgressThreshold = 100000;
constexpr std::int32_t kProgressStep = 1 << 16;
constexpr std::size_t kLineBatch = std::size_t{1} << 16;  // bytes of ".asc" lines a write
constexpr std::size_t kBatchesInFlight = 4;
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
  std::fprintf(stderr, "psp2ov2: cannot write %s: %s\n", Shown(file.Path()).c_str(),
               file.Reason().c_str());
}

// Opens the pushpin file and reads its pin count; false, and said why, when it cannot.
bool OpenPushpins(const std::string& input, PushpinReader& reader, std::int32_t& npins) {
  if (!reader.Open(input)) {
    std::fprintf(stderr, "psp2ov2: %s: %s\n", Shown(input).c_str(), reader.Error().reason.c_str());
    return false;
  }
  if (!reader.ReadHeader(npins)) {
    std::fprintf(stderr, "psp2ov2: %s: %s\n", Shown(input).c_str(),
                 ReadFailure(reader, "in its header").c_str());
    return false;
  }
  if (npins < 0) {
    // A count no pushpin file holds (one flipped bit makes it): not taken as none.
    std::fprintf(stderr, "psp2ov2: %s: the pin count %ld is negative; not a pushpin file\n",
                 Shown(input).c_str(), static_cast<long>(npins));
    return false;
  }
  return true;
}

}  // namespace

bool Converter::LoadExplicitSymbol() {
  if (options_.symbol.empty()) return true;
  IoError error;
  if (!ReadWholeFile(options_.symbol, kSymbolLimit, explicitSymbol_, error)) {
    std::fprintf(stderr, "psp2ov2: cannot read the symbol %s: %s\n", Shown(options_.symbol).c_str(),
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
      std::fprintf(stderr, "psp2ov2: %s and %s are the same file\n", Shown(earlier->path).c_str(),
                   Shown(inputs[i]).c_str());
      return false;
    }
  }
  outputs_.clear();
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    outputs_.push_back(OutputNames(inputs[i]));
    const Outputs& out = outputs_.back();
    struct Named {
      const std::string& path;
      const char* role;
    };
    std::vector<Named> written{{out.asc, ".asc file"}};
    if (!options_.ascOnly) {
      written.push_back({out.ov2, "overlay"});
      written.push_back({out.bmp, "icon"});
    }
    for (const Named& output : written) {
      if (const auto* earlier = claims.Take(output.path, output.role, i)) {
        if (earlier->role == "input") {
          std::fprintf(stderr, "psp2ov2: %s: its %s %s would overwrite the input %s\n",
                       Shown(inputs[i]).c_str(), output.role, Shown(output.path).c_str(),
                       Shown(earlier->path).c_str());
        } else if (earlier->owner == i && earlier->path != output.path) {
          // Two names of one file (a hard link): both are named.
          std::fprintf(stderr, "psp2ov2: %s: its %s %s and its %s %s are the same file\n",
                       Shown(inputs[i]).c_str(), earlier->role.c_str(),
                       Shown(earlier->path).c_str(), output.role, Shown(output.path).c_str());
        } else if (earlier->owner == i) {
          std::fprintf(stderr, "psp2ov2: %s: its %s and its %s would both be %s\n",
                       Shown(inputs[i]).c_str(), earlier->role.c_str(), output.role,
                       Shown(output.path).c_str());
        } else {
          std::fprintf(stderr, "psp2ov2: %s and %s would both write %s\n",
                       Shown(inputs[earlier->owner]).c_str(), Shown(inputs[i]).c_str(), Shown(output.path).c_str());
        }
        return false;
      }
      tools::FileFacts facts;
      const char* refusal = nullptr;
      if (!tools::LookAt(output.path, facts)) {
        refusal = std::strerror(errno);
      } else if (facts.kind == tools::FileKind::kFolder) {
        refusal = std::strerror(EISDIR);
      } else if (facts.kind == tools::FileKind::kOther) {
        refusal = "it is not a regular file";
      }
      if (refusal != nullptr) {
        std::fprintf(stderr, "psp2ov2: cannot write %s: %s\n", Shown(output.path).c_str(), refusal);
        return false;
      }
    }
  }
  return true;
}

// NOLINTNEXTLINE(readability-function-size): being split into named steps elsewhere
int Converter::Convert(std::size_t index) {
  const std::string& input = options_.inputs[index];
  const Outputs& out = outputs_[index];
  const bool ascOnly = options_.ascOnly;
  OutputSet set;
  if (!tools::ClaimOutputs("psp2ov2", out.asc, set)) return kExitFailed;
  PushpinReader reader(options_.longitudeRule);
  std::int32_t npins = 0;
  if (!OpenPushpins(input, reader, npins)) return kExitFailed;
  SetFlushToDisk(!options_.noSync);
  CompleteFile asc, bmp;
  OverlayBuilder overlay;
  if (!asc.Open(out.asc)) {
    CannotWrite(asc);
    return kExitFailed;
  }
  if (!ascOnly && !overlay.Open(out.ov2, options_.flat)) {
    tools::TellFailure("psp2ov2", overlay.Error());
    return kExitFailed;
  }
  if (!tools::NoteTemporaries("psp2ov2", set, {&asc, &overlay.File()})) return kExitFailed;
  const NotesMode mode = options_.appendNotes ? NotesMode::Append : NotesMode::Ignore;
  const bool progress = !options_.quiet && npins > kProgressThreshold && QH_ISATTY(2);
  // This thread reads the pins and makes the lines; a second one writes them and
  // reads their points into the overlay, a few batches behind.
  const std::string ascShown = Shown(out.asc);
  LineTaker taker(asc, ascOnly ? nullptr : &overlay, ascShown);
  BatchPipe pipe(kBatchesInFlight);
  std::thread worker;
  try {
    worker = std::thread([&] {
      while (LineBatch* taken = pipe.Receive()) {
        taker.Take(*taken);
        pipe.Return(taken);
      }
    });
  } catch (const std::system_error&) {  // no second thread: each batch is taken here
  }
  WorkerEnd workerEnd{pipe, worker};
  LineBatch* batch = pipe.Empty();
  auto handOver = [&] {
    if (worker.joinable()) {
      pipe.Send(batch);
      batch = pipe.Empty();
    } else {
      taker.Take(*batch);
      batch->Clear();
    }
  };
  PinRecord pin;
  for (std::int32_t i = 0; i < npins && !taker.Failed(); ++i) {
    if (!reader.NextPin(pin)) {
      workerEnd.Wait();
      if (progress) std::fputc('\n', stderr);
      std::fprintf(stderr, "psp2ov2: %s: %s\n", Shown(input).c_str(),
                   ReadFailure(reader, PinPlace(i + 1, npins)).c_str());
      return kExitFailed;  // the writers drop their temporary files
    }
    AppendAscLine(batch->lines, AddOffset(options_.longitudeOffset, pin.longitude),
                  AddOffset(options_.latitudeOffset, pin.latitude), pin, mode,
                  options_.textEncoding);
    batch->ends.push_back(batch->lines.size());
    if (batch->lines.size() >= kLineBatch) handOver();
    if (progress && (i + 1) % kProgressStep == 0) {
      std::fprintf(stderr, "\r%s: %ld of %ld pins", Shown(input).c_str(), static_cast<long>(i) + 1,
                   static_cast<long>(npins));
    }
  }
  if (!batch->lines.empty()) handOver();
  workerEnd.Wait();
  if (progress) std::fputc('\n', stderr);
  reader.Close();
  if (taker.Failed()) {
    std::fprintf(stderr, "psp2ov2: cannot write %s: %s\n", Shown(out.asc).c_str(),
                 taker.Reason().c_str());
    return kExitFailed;
  }
  if (!ascOnly) {
    // Pins that gave no point at all: no overlay, and nothing replaced.
    if (overlay.Points() == 0 && taker.Skipped() + taker.TitleLines() > 0) {
      std::fprintf(stderr, "psp2ov2: %s: no pin gave a point; nothing is written\n",
                   Shown(input).c_str());
      return kExitSkipped;
    }
    if (!overlay.Finish()) {
      tools::TellFailure("psp2ov2", overlay.Error());
      return kExitFailed;
    }
    std::string symbol;
    if (!SymbolBytes(out.bmp, symbol)) return kExitFailed;
    if (!bmp.Open(out.bmp) || !bmp.Write(symbol)) {
      CannotWrite(bmp);
      return kExitFailed;
    }
    if (!tools::NoteTemporaries("psp2ov2", set, {&asc, &overlay.File(), &bmp})) return kExitFailed;
  }
  if (!CommitOutputs(index, npins, {&asc, ascOnly ? nullptr : &overlay.File(),
                                    ascOnly ? nullptr : &bmp}, set)) {
    return kExitFailed;
  }
  return taker.Skipped() > 0 ? kExitSkipped : kExitOk;
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
    std::fprintf(stderr, "psp2ov2: the earlier %s is still there as %s: %s\n",
                 Shown(file->Path()).c_str(), Shown(file->Leftover()).c_str(),
                 file->LeftoverReason().c_str());
  }
  if (!options_.quiet) {
    std::printf("%s: %ld %s -> %s\n", Shown(input).c_str(), static_cast<long>(npins),
                npins == 1 ? "pin" : "pins",
                Shown(options_.ascOnly ? out.asc : out.ov2).c_str());
  }
  if (InterruptedDuringCommit() != 0) {
    interrupted_ = true;
    std::fprintf(stderr, "psp2ov2: %s: interrupted after finishing; its outputs are complete\n",
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
    std::fprintf(stderr, "psp2ov2: cannot read %s: %s\n", Shown(source).c_str(), error.reason.c_str());
    return false;
  }
  return true;
}

}  // namespace qh::psp2ov2
