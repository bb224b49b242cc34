#include "tools/psp2ov2/conversion.h"

#include <cstdio>
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

#include "converter/asc_output.h"
#include "converter/pushpin_reader.h"
#include "overlay/overlay_builder.h"
#include "overlay/paths.h"
#include "resources/symbol/default_symbol.h"
#include "services/complete_file.h"
#include "tools/psp2ov2/batch_pipe.h"
#include "tools/psp2ov2/exit_status.h"
#include "tools/psp2ov2/files.h"
#include "tools/psp2ov2/line_taker.h"

namespace qh::psp2ov2 {
namespace {

constexpr std::int32_t kProgressThreshold = 100000;
constexpr std::int32_t kProgressStep = 1 << 16;
constexpr std::size_t kLineBatch = std::size_t{1} << 16;  // bytes of ".asc" lines a write
constexpr std::size_t kBatchesInFlight = 4;
constexpr const char* kSymbolName = "default_symbol.bmp";

}  // namespace

bool Converter::LoadExplicitSymbol() {
  if (options_.symbol.empty()) return true;
  std::string error;
  if (!ReadWholeFile(options_.symbol, explicit_symbol_, error)) {
    std::fprintf(stderr, "psp2ov2: cannot read the symbol %s: %s\n", options_.symbol.c_str(),
                 error.c_str());
    return false;
  }
  return true;
}

int Converter::Convert(const std::string& input) {
  const Outputs out = OutputNames(input);
  if (out.asc == input || out.ov2 == input || out.bmp == input || out.asc == out.ov2) {
    std::fprintf(stderr, "psp2ov2: %s: an output would overwrite the input or another output\n",
                 input.c_str());
    return kExitFailed;
  }
  PushpinReader reader(options_.longitudeRule);
  std::int32_t npins = 0;
  if (!reader.Open(input) || !reader.ReadHeader(npins)) {
    std::fprintf(stderr, "psp2ov2: %s\n", reader.ErrorMessage().c_str());
    return kExitFailed;
  }
  AscWriter asc;
  if (!asc.Open(out.asc)) {
    std::fprintf(stderr, "psp2ov2: %s\n", asc.ErrorMessage().c_str());
    return kExitFailed;
  }
  OverlayBuilder overlay;
  if (!options_.asc_only) {
    if (!overlay.Open(out.ov2, options_.flat)) {
      std::fprintf(stderr, "psp2ov2: cannot write %s: %s\n", out.ov2.c_str(),
                   overlay.ErrorMessage().c_str());
      return kExitFailed;
    }
    if (npins > 0) overlay.Expect(static_cast<std::size_t>(npins), static_cast<std::size_t>(npins) * 16);
  }
  const NotesMode mode = options_.append_notes ? NotesMode::Append : NotesMode::Ignore;
  const bool progress = !options_.quiet && npins > kProgressThreshold && QH_ISATTY(2);
  // This thread reads the pins and makes the lines; a second one writes them and
  // reads their points into the overlay, a few batches behind.
  LineTaker taker(asc, options_.asc_only ? nullptr : &overlay, out.asc);
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
  WorkerEnd worker_end{pipe, worker};
  LineBatch* batch = pipe.Empty();
  auto hand_over = [&] {
    if (worker.joinable()) {
      pipe.Send(batch);
      batch = pipe.Empty();
    } else {
      taker.Take(*batch);
      batch->Clear();
    }
  };
  PinRecord pin;
  for (std::int32_t i = 0; i < npins && !taker.WriteFailed(); ++i) {
    if (!reader.NextPin(pin)) {
      worker_end.Wait();
      if (progress) std::fputc('\n', stderr);
      std::fprintf(stderr, "psp2ov2: %s\n", reader.ErrorMessage().c_str());
      return kExitFailed;  // the writers drop their temporary files
    }
    AppendAscLine(batch->lines, AddOffset(options_.longitude_offset, pin.longitude),
                  AddOffset(options_.latitude_offset, pin.latitude), pin, mode,
                  options_.textEncoding);
    batch->ends.push_back(batch->lines.size());
    if (batch->lines.size() >= kLineBatch) hand_over();
    if (progress && (i + 1) % kProgressStep == 0) {
      std::fprintf(stderr, "\r%s: %ld of %ld pins", input.c_str(), static_cast<long>(i) + 1,
                   static_cast<long>(npins));
    }
  }
  if (!batch->lines.empty()) hand_over();
  worker_end.Wait();
  if (progress) std::fputc('\n', stderr);
  reader.Close();
  if (taker.WriteFailed()) {
    std::fprintf(stderr, "psp2ov2: %s\n", asc.ErrorMessage().c_str());
    return kExitFailed;
  }
  // The overlay first: an ".asc" without its overlay is worse than neither.
  if (!options_.asc_only && !overlay.Commit()) {
    std::fprintf(stderr, "psp2ov2: cannot write %s: %s\n", out.ov2.c_str(),
                 overlay.ErrorMessage().c_str());
    return kExitFailed;
  }
  if (!asc.Commit()) {
    std::fprintf(stderr, "psp2ov2: %s\n", asc.ErrorMessage().c_str());
    return kExitFailed;
  }
  if (!options_.asc_only && !PlaceSymbol(out.bmp)) return kExitFailed;
  if (!options_.quiet) {
    std::printf("%s: %ld pins -> %s\n", input.c_str(), static_cast<long>(npins < 0 ? 0 : npins),
                options_.asc_only ? out.asc.c_str() : out.ov2.c_str());
  }
  return taker.Skipped() > 0 ? kExitSkipped : kExitOk;
}

Outputs Converter::OutputNames(const std::string& input) const {
  Outputs out;
  if (!options_.output.empty()) {
    out.ov2 = options_.output;
    out.asc = ReplaceExtension(options_.output, ".asc");
    out.bmp = ReplaceExtension(options_.output, ".bmp");
  } else {
    out.ov2 = ReplaceExtension(input, ".ov2");
    out.asc = ReplaceExtension(input, ".asc");
    out.bmp = ReplaceExtension(input, ".bmp");
  }
  return out;
}

bool Converter::PlaceSymbol(const std::string& bmp) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!explicit_symbol_.empty() || !options_.symbol.empty()) {
    bytes = explicit_symbol_;
  } else {
    const std::string local = std::string(FolderPart(bmp)) + kSymbolName;
    const std::string beside = program_folder_ + kSymbolName;
    const std::string& source = FileExists(local) ? local : beside;
    if (FileExists(source)) {
      if (!ReadWholeFile(source, bytes, error)) {
        std::fprintf(stderr, "psp2ov2: cannot read %s: %s\n", source.c_str(), error.c_str());
        return false;
      }
    } else {
      bytes = DefaultSymbolBitmap();
    }
  }
  CompleteFile file;
  if (!file.Open(bmp) ||
      !file.Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())) ||
      !file.Commit()) {
    std::fprintf(stderr, "psp2ov2: cannot write %s: %s\n", bmp.c_str(), file.Reason().c_str());
    return false;
  }
  return true;
}

}  // namespace qh::psp2ov2
