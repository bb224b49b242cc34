// psp2ov2: converts pushpin files (".psp") into TomTom overlays on the command line.
// For each input it writes the ".asc" file exactly as the Windows program does, the
// ".ov2" overlay as makeov2 makes it from that file, and the ".bmp" icon beside them.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define QH_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define QH_ISATTY(fd) isatty(fd)
#endif

#include "converter/asc_output.h"
#include "converter/pushpin_reader.h"
#include "overlay/asc_reader.h"
#include "overlay/paths.h"
#include "overlay/overlay_builder.h"
#include "resources/symbol/default_symbol.h"
#include "services/complete_file.h"
#include "tools/psp2ov2/batch_pipe.h"
#include "tools/common/version.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitSkipped = 1;
constexpr int kExitFailed = 2;
constexpr std::int32_t kProgressThreshold = 100000;
constexpr std::int32_t kProgressStep = 1 << 16;
constexpr std::size_t kLineBatch = std::size_t{1} << 16;  // bytes of ".asc" lines a write
constexpr std::size_t kBatchesInFlight = 4;
constexpr const char* kSymbolName = "default_symbol.bmp";

struct Options {
  std::string output;  // -o
  bool append_notes = false;
  float longitude_offset = 0.0f, latitude_offset = 0.0f;
  bool asc_only = false;
  std::string symbol;  // --symbol
  bool flat = false;
  bool quiet = false;
  std::vector<std::string> inputs;
};

struct Outputs {
  std::string asc, ov2, bmp;
};

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: psp2ov2 [options] FILE.psp...\n"
      "Converts pushpin files into TomTom overlays: FILE.asc, FILE.ov2 and the icon\n"
      "FILE.bmp are written beside each input.\n"
      "  -o PATH            name of the overlay (one input only); the .asc and .bmp\n"
      "                     take its name with their own extensions\n"
      "  --append-notes     a point's text is the name followed by both notes\n"
      "  --offset LON,LAT   add these degrees to every longitude and latitude\n"
      "  --asc-only         write only the .asc file\n"
      "  --symbol FILE      the icon to copy (default: default_symbol.bmp in the output\n"
      "                     folder, else beside this program, else a built-in pushpin)\n"
      "  --flat             write the overlay without a spatial index\n"
      "  -q                 no progress and no summary lines\n"
      "  --help, --version\n"
      "Exit status: 0 done, 1 some points did not fit and were left out, 2 an input\n"
      "could not be converted.\n",
      out);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  bytes.clear();
  std::uint8_t chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  const bool failed = std::ferror(file) != 0;
  if (failed) error = std::strerror(errno);
  std::fclose(file);
  return !failed;
}

bool FileExists(const std::string& path) {
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fclose(file);
    return true;
  }
  return false;
}

// The folder this program stands in, with its separator; empty when unknown.
std::string ProgramFolder(const char* argv0) {
#ifndef _WIN32
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return std::string(qh::FolderPart(self.string()));
#endif
  return std::string(qh::FolderPart(argv0 != nullptr ? argv0 : ""));
}

bool ParseOffset(std::string_view text, float& longitude, float& latitude) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  auto parse = [](std::string_view part, float& value) {
    if (!part.empty() && part.front() == '+') part.remove_prefix(1);
    const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    return ec == std::errc() && ptr == part.data() + part.size() && !part.empty();
  };
  return parse(text.substr(0, comma), longitude) && parse(text.substr(comma + 1), latitude);
}

// The OV2 units of a coordinate column as AscLine writes it, "[-]d.ddddd" right-aligned
// in ten columns: its digits read as one number, as ParseAscLine reads them. Each
// digit has its place value by its column, so the columns are read independently
// and without branches. False for anything else (asterisks).
bool ColumnUnits(const char* column, std::int32_t& units) {
  static constexpr std::int32_t kPlace[10] = {100000000, 10000000, 1000000, 100000, 0,
                                              10000,     1000,     100,     10,     1};
  std::int32_t value = 0;
  bool negative = false, valid = column[4] == '.' && column[3] != ' ' && column[3] != '-';
  for (int i = 0; i < 10; ++i) {
    const char c = column[i];
    const auto digit = static_cast<unsigned>(c - '0');
    const bool is_digit = digit < 10;
    value += is_digit ? static_cast<std::int32_t>(digit) * kPlace[i] : 0;
    negative |= c == '-';
    // Blanks and the sign only before the point, digits on both sides of it.
    valid &= i == 4 || is_digit || (i < 4 && (c == ' ' || c == '-'));
  }
  units = negative ? -value : value;
  return valid;
}

// The point of a line just made by AppendAscLine, read without the general parser:
// the same point ParseAscLine gives. False for a line the shortcut does not cover (a
// coordinate in asterisks, or a line feed in the text, which splits the line).
bool ReadOwnLine(std::string_view line, qh::AscPoint& point) {
  constexpr std::size_t kEnd = 3;  // closing quote, CR, LF
  const std::string_view text =
      line.substr(qh::kAscTextColumn, line.size() - qh::kAscTextColumn - kEnd);
  // Texts are short: a plain loop, not a library call.
  if (std::find(text.begin(), text.end(), '\n') != text.end()) return false;
  if (!ColumnUnits(line.data(), point.longitude_units) ||
      !ColumnUnits(line.data() + 11, point.latitude_units)) {
    return false;
  }
  point.longitude = point.longitude_units / 100000.0;
  point.latitude = point.latitude_units / 100000.0;
  point.text = text;
  return true;
}

// What becomes of the lines: written to the ".asc" file and, unless only that is
// wanted, read into the overlay.
class LineTaker {
 public:
  LineTaker(qh::AscWriter& asc, qh::OverlayBuilder* overlay, const std::string& asc_name)
      : asc_(asc), overlay_(overlay), asc_name_(asc_name) {}

  void Take(const qh::LineBatch& batch) {
    if (write_failed_) return;
    if (!asc_.Write(batch.lines)) {
      write_failed_ = true;
      return;
    }
    if (overlay_ == nullptr) return;
    std::size_t start = 0;
    for (const std::size_t end : batch.ends) {
      AddLine(std::string_view(batch.lines.data() + start, end - start));
      start = end;
    }
  }
  bool WriteFailed() const { return write_failed_; }
  std::size_t Skipped() const { return skipped_; }

 private:
  // The overlay takes each point from its ".asc" line, as makeov2 would, so both
  // routes give the same overlay. A failure stays with the builder; Commit reports it.
  void AddLine(std::string_view line) {
    if (ReadOwnLine(line, point_)) {
      ++line_number_;
      overlay_->Add(point_);
      return;
    }
    // The rare lines the shortcut leaves alone: a coordinate that did not fit its
    // column is lost, and a line feed in a text splits the line as in the file.
    std::string_view rest = line.substr(0, line.size() - 1);
    for (bool more = true; more;) {
      const std::size_t feed = rest.find('\n');
      const std::string_view piece = rest.substr(0, feed);
      more = feed != std::string_view::npos;
      if (more) rest.remove_prefix(feed + 1);
      ++line_number_;
      std::string_view reason;
      const qh::AscLineKind kind = qh::ParseAscLine(piece, point_, reason);
      if (kind == qh::AscLineKind::kPoint) {
        overlay_->Add(point_);
      } else if (kind == qh::AscLineKind::kBad) {
        ++skipped_;
        std::fprintf(stderr, "%s:%llu: %.*s; the point is left out of the overlay\n",
                     asc_name_.c_str(), static_cast<unsigned long long>(line_number_),
                     static_cast<int>(reason.size()), reason.data());
      }
    }
  }

  qh::AscWriter& asc_;
  qh::OverlayBuilder* overlay_;
  const std::string& asc_name_;
  qh::AscPoint point_;
  std::uint64_t line_number_ = 0;
  std::size_t skipped_ = 0;
  std::atomic<bool> write_failed_{false};  // also read by the thread that makes the lines
};

// Ends the taking thread, on every way out of a conversion.
class WorkerEnd {
 public:
  WorkerEnd(qh::BatchPipe& pipe, std::thread& worker) : pipe_(pipe), worker_(worker) {}
  ~WorkerEnd() { Wait(); }
  void Wait() {
    if (!worker_.joinable()) return;
    pipe_.Close();
    worker_.join();
  }

 private:
  qh::BatchPipe& pipe_;
  std::thread& worker_;
};

class Converter {
 public:
  Converter(const Options& options, std::string program_folder)
      : options_(options), program_folder_(std::move(program_folder)) {}

  bool LoadExplicitSymbol() {
    if (options_.symbol.empty()) return true;
    std::string error;
    if (!ReadWholeFile(options_.symbol, explicit_symbol_, error)) {
      std::fprintf(stderr, "psp2ov2: cannot read the symbol %s: %s\n", options_.symbol.c_str(),
                   error.c_str());
      return false;
    }
    return true;
  }

  int Convert(const std::string& input) {
    const Outputs out = OutputNames(input);
    if (out.asc == input || out.ov2 == input || out.bmp == input || out.asc == out.ov2) {
      std::fprintf(stderr, "psp2ov2: %s: an output would overwrite the input or another output\n",
                   input.c_str());
      return kExitFailed;
    }
    qh::PushpinReader reader;
    std::int32_t npins = 0;
    if (!reader.Open(input) || !reader.ReadHeader(npins)) {
      std::fprintf(stderr, "psp2ov2: %s\n", reader.ErrorMessage().c_str());
      return kExitFailed;
    }
    qh::AscWriter asc;
    if (!asc.Open(out.asc)) {
      std::fprintf(stderr, "psp2ov2: %s\n", asc.ErrorMessage().c_str());
      return kExitFailed;
    }
    qh::OverlayBuilder overlay;
    if (!options_.asc_only) {
      if (!overlay.Open(out.ov2, options_.flat)) {
        std::fprintf(stderr, "psp2ov2: cannot write %s: %s\n", out.ov2.c_str(),
                     overlay.ErrorMessage().c_str());
        return kExitFailed;
      }
      if (npins > 0) overlay.Expect(static_cast<std::size_t>(npins), static_cast<std::size_t>(npins) * 16);
    }
    const qh::NotesMode mode = options_.append_notes ? qh::NotesMode::Append : qh::NotesMode::Ignore;
    const bool progress = !options_.quiet && npins > kProgressThreshold && QH_ISATTY(2);
    // This thread reads the pins and makes the lines; a second one writes them and
    // reads their points into the overlay, a few batches behind.
    LineTaker taker(asc, options_.asc_only ? nullptr : &overlay, out.asc);
    qh::BatchPipe pipe(kBatchesInFlight);
    std::thread worker;
    try {
      worker = std::thread([&] {
        while (qh::LineBatch* taken = pipe.Receive()) {
          taker.Take(*taken);
          pipe.Return(taken);
        }
      });
    } catch (const std::system_error&) {  // no second thread: each batch is taken here
    }
    WorkerEnd worker_end{pipe, worker};
    qh::LineBatch* batch = pipe.Empty();
    auto hand_over = [&] {
      if (worker.joinable()) {
        pipe.Send(batch);
        batch = pipe.Empty();
      } else {
        taker.Take(*batch);
        batch->Clear();
      }
    };
    qh::PinRecord pin;
    for (std::int32_t i = 0; i < npins && !taker.WriteFailed(); ++i) {
      if (!reader.NextPin(pin)) {
        worker_end.Wait();
        if (progress) std::fputc('\n', stderr);
        std::fprintf(stderr, "psp2ov2: %s\n", reader.ErrorMessage().c_str());
        return kExitFailed;  // the writers drop their temporary files
      }
      qh::AppendAscLine(batch->lines, qh::AddOffset(options_.longitude_offset, pin.longitude),
                        qh::AddOffset(options_.latitude_offset, pin.latitude), pin, mode);
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

 private:
  Outputs OutputNames(const std::string& input) const {
    Outputs out;
    if (!options_.output.empty()) {
      out.ov2 = options_.output;
      out.asc = qh::ReplaceExtension(options_.output, ".asc");
      out.bmp = qh::ReplaceExtension(options_.output, ".bmp");
    } else {
      out.ov2 = qh::ReplaceExtension(input, ".ov2");
      out.asc = qh::ReplaceExtension(input, ".asc");
      out.bmp = qh::ReplaceExtension(input, ".bmp");
    }
    return out;
  }

  bool PlaceSymbol(const std::string& bmp) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!explicit_symbol_.empty() || !options_.symbol.empty()) {
      bytes = explicit_symbol_;
    } else {
      const std::string local = std::string(qh::FolderPart(bmp)) + kSymbolName;
      const std::string beside = program_folder_ + kSymbolName;
      const std::string& source = FileExists(local) ? local : beside;
      if (FileExists(source)) {
        if (!ReadWholeFile(source, bytes, error)) {
          std::fprintf(stderr, "psp2ov2: cannot read %s: %s\n", source.c_str(), error.c_str());
          return false;
        }
      } else {
        bytes = qh::DefaultSymbolBitmap();
      }
    }
    qh::CompleteFile file;
    if (!file.Open(bmp) ||
        !file.Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())) ||
        !file.Commit()) {
      std::fprintf(stderr, "psp2ov2: cannot write %s: %s\n", bmp.c_str(), file.Reason().c_str());
      return false;
    }
    return true;
  }

  const Options& options_;
  std::string program_folder_;
  std::vector<std::uint8_t> explicit_symbol_;
};

// Returns -1 when the options are complete, else the exit code to end with.
int ParseOptions(int argc, char** argv, Options& options) {
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "psp2ov2: %s needs a value\n", name);
        return nullptr;
      }
      return argv[++i];
    };
    if (options_done || arg.empty() || arg[0] != '-' || arg == "-") {
      options.inputs.emplace_back(arg);
    } else if (arg == "--") {
      options_done = true;
    } else if (arg == "-o") {
      const char* v = value("-o");
      if (v == nullptr) return kExitFailed;
      options.output = v;
    } else if (arg == "--append-notes") {
      options.append_notes = true;
    } else if (arg == "--offset") {
      const char* v = value("--offset");
      if (v == nullptr) return kExitFailed;
      if (!ParseOffset(v, options.longitude_offset, options.latitude_offset)) {
        std::fprintf(stderr, "psp2ov2: --offset takes LON,LAT in degrees, not %s\n", v);
        return kExitFailed;
      }
    } else if (arg == "--asc-only") {
      options.asc_only = true;
    } else if (arg == "--symbol") {
      const char* v = value("--symbol");
      if (v == nullptr) return kExitFailed;
      options.symbol = v;
    } else if (arg == "--flat") {
      options.flat = true;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return kExitOk;
    } else if (arg == "--version") {
      std::printf("psp2ov2 %s\n", QH_TOOLS_VERSION);
      return kExitOk;
    } else {
      std::fprintf(stderr, "psp2ov2: unknown option %s\n", argv[i]);
      PrintUsage(stderr);
      return kExitFailed;
    }
  }
  if (options.inputs.empty()) {
    PrintUsage(stderr);
    return kExitFailed;
  }
  if (!options.output.empty() && options.inputs.size() > 1) {
    std::fprintf(stderr, "psp2ov2: -o takes one input only\n");
    return kExitFailed;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int early = ParseOptions(argc, argv, options);
  if (early >= 0) return early;
  Converter converter(options, ProgramFolder(argc > 0 ? argv[0] : nullptr));
  if (!converter.LoadExplicitSymbol()) return kExitFailed;
  int status = kExitOk;
  for (const std::string& input : options.inputs) {
    const int result = converter.Convert(input);
    if (result > status) status = result;
  }
  return status;
}
