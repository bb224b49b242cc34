#include "tools/ov2/input_readers.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "formats/asc_halves_reader.h"
#include "formats/asc_writer.h"
#include "formats/csv_reader.h"
#include "files/file_calls.h"
#include "files/file_system.h"
#include "formats/gpx_reader.h"
#include "overlay/ov2_reader.h"
#include "formats/text_encoding.h"
#include "tools/common/exit_status.h"
#include "tools/common/standard_output.h"
#include "tools/common/tell_failure.h"
#include "tools/ov2/input_kind.h"
#include "tools/common/console_text.h"

namespace qh::ov2 {
namespace {

using tools::kExitFailed;
using tools::kExitOk;

// Whole-file inputs (CSV, GPX) are read into memory; more is not taken.
constexpr std::size_t kWholeFileLimit = std::size_t{1} << 30;
constexpr double kUnitsPerDegree = 100000.0;

int CannotRead(const IoError& error) {
  tools::TellFailure("ov2", error);
  return kExitFailed;
}

int CannotRead(ContentError error, const std::string& path) {
  error.path = path;
  tools::TellFailure("ov2", error);
  return kExitFailed;
}

// A pushpin file that is wrong as a whole: one made of pin records has no lines.
ContentError PushpinFault(std::string what) {
  return {{}, 0, ContentError::kNoOffset, std::move(what)};
}

// A pushpin file that could not be read at `where` ("in its header", "pin 3 of 5"): it
// ends there, or the system failed, and its words are told.
int CannotReadPushpins(const PushpinReader& reader, const std::string& path,
                       const std::string& where) {
  const IoError& error = reader.Error();
  if (error.what != IoFailure::kReadFailed) {
    return CannotRead(PushpinFault("file ends early (" + where + ")"), path);
  }
  const std::string reason = error.reason.empty() ? "I/O error" : error.reason;
  return CannotRead(IoError{IoFailure::kReadFailed, path, "read failed (" + where + "): " + reason});
}

// The texts of an overlay's or an ".asc" file's point in UTF-8.
void DecodeOverlayText(std::string& out, std::string_view bytes, bool utf8) {
  out.clear();
  if (utf8) {
    AppendCheckedUtf8(out, bytes);
  } else {
    AppendUtf8FromWindows1252(out, bytes);
  }
}

int ReadPushpins(const std::string& path, const TextOptions& options, PointSink& flow) {
  PushpinReader reader(options.longitudeRule);
  std::int32_t npins = 0;
  if (!reader.Open(path)) return CannotRead(reader.Error());
  if (!reader.ReadHeader(npins)) return CannotReadPushpins(reader, path, "in its header");
  if (npins < 0) {
    return CannotRead(PushpinFault("the pin count is negative; not a pushpin file"), path);
  }
  if (!reader.CanHold(npins)) return CannotRead(PushpinFault(TooShortFor(reader, npins)), path);
  const NotesMode mode = options.appendNotes ? NotesMode::Append : NotesMode::Ignore;
  const TextEncoding encoding = options.utf8 ? TextEncoding::kUtf8 : TextEncoding::kWindows1252;
  PinRecord pin, notes;
  for (std::int32_t i = 0; i < npins; ++i) {
    if (!reader.NextPin(pin)) {
      return CannotReadPushpins(reader, path,
                                "pin " + std::to_string(i + 1) + " of " + std::to_string(npins));
    }
    const std::string text = PinText(pin, mode, encoding);
    std::string name, desc;
    if (options.names) {
      notes.name = pin.note1 + pin.note2;
      name = PinText(pin, NotesMode::Ignore, TextEncoding::kUtf8);
      desc = PinText(notes, NotesMode::Ignore, TextEncoding::kUtf8);
    }
    const InputPoint point{pin.longitude, pin.latitude, text, name, desc};
    if (!flow.Take(point, Place{&path, "pin", static_cast<std::size_t>(i) + 1})) return kExitFailed;
  }
  // Pins the header does not count are not read: a file whose count was damaged to 0
  // would otherwise give an empty overlay without a word.
  if (const std::uint64_t more = reader.BytesOfMorePins()) {
    tools::Print(stderr, "%s: %s\n", tools::Shown(path).c_str(),
                 MorePinsThanCounted(npins, more).c_str());
    flow.PassedOver(1);
  }
  return kExitOk;
}

int ReadAsc(const std::string& path, const TextOptions& options, PointSink& flow) {
  AscHalvesReader reader;
  if (!reader.Open(path)) return CannotRead(reader.Error());
  AscPoint point;
  std::string name;
  for (;;) {
    const AscReader::Result result = reader.Next(point);
    const Place place{&path, nullptr, reader.LineNumber()};
    if (result == AscReader::Result::kEnd) {
      flow.PassedOver(reader.TitleLines());
      return kExitOk;
    }
    if (result == AscReader::Result::kFailed) return CannotRead(reader.Error());
    if (result == AscReader::Result::kBadLine) {
      flow.LeftOut(place, reader.BadLine().what);
      continue;
    }
    if (options.names) DecodeOverlayText(name, point.text, options.utf8);
    if (!flow.Take(InputPoint{point.longitude, point.latitude, point.text, name, {}}, place)) {
      return kExitFailed;
    }
  }
}

// How each kind of fault is counted: as check names it, and as a lenient read repaired
// it; one and many.
struct FaultWords {
  const char* one;
  const char* many;
  const char* repairedOne;
  const char* repairedMany;
};
constexpr FaultWords kFaultWords[kOv2FaultKinds] = {
    {"point outside its block's box", "points outside their block's box",
     "point lay outside its block's box", "points lay outside their block's box"},
    {"skipper box with its corners in the other order",
     "skipper boxes with their corners in the other order",
     "skipper box had its corners in the other order",
     "skipper boxes had their corners in the other order"},
    {"skipper that does not add up", "skippers that do not add up",
     "skipper did not add up and was passed over",
     "skippers did not add up and were passed over"},
    {"record too short for its type", "records too short for their type",
     "record too short for its type was passed over",
     "records too short for their type were passed over"},
    {"text without its closing NUL", "texts without their closing NUL",
     "text without its closing NUL ended at its record's end",
     "texts without their closing NUL ended at their record's end"},
    {"point off the Earth", "points off the Earth", "point off the Earth was left out",
     "points off the Earth were left out"},
    {"byte after the last record", "bytes after the last record",
     "byte after the last record was passed over",
     "bytes after the last record were passed over"},
};

// The repairs of a lenient read, in one warning line.
void SayRepairs(const std::string& path, const Ov2Summary& summary) {
  const std::string counts = Ov2FaultCounts(summary, true, "; ");
  if (!counts.empty()) {
    tools::Print(stderr, "ov2: %s: %s\n", tools::Shown(path).c_str(), counts.c_str());
  }
}

int ReadOverlay(const std::string& path, const TextOptions& options, Ov2Reading reading,
                PointSink& flow) {
  std::string text, name, desc;
  bool flowing = true;
  Ov2Visitor visitor;
  visitor.point = [&](const Ov2Point& record) {
    if (!flowing) return;
    text.assign(record.name);
    if (options.appendNotes && !record.further.empty()) text.append(" ").append(record.further);
    if (options.names) {
      DecodeOverlayText(name, record.name, options.utf8);
      DecodeOverlayText(desc, record.further, options.utf8);
    }
    const InputPoint point{record.longitude / kUnitsPerDegree, record.latitude / kUnitsPerDegree,
                           text, name, desc};
    flowing = flow.Take(point, Place{&path, "record at byte", record.offset});
  };
  visitor.unknown = [&](std::size_t offset, std::uint8_t type) {
    SayRecordPassedOver(path, offset, type);
    flow.PassedOver(1);
  };
  IoError error;
  const Ov2Summary summary = ReadOv2File(path, visitor, error, reading);
  if (!flowing) return kExitFailed;
  if (error) return CannotRead(error);
  if (reading == Ov2Reading::kStrict && summary.fault) return CannotRead(summary.fault, path);
  SayRepairs(path, summary);
  flow.Dropped(summary.Faults(Ov2Fault::kOffEarth));
  // What a lenient read passed over is something the input held: a damaged overlay
  // that gives no point must not leave an empty output in the place of an earlier one.
  std::size_t repaired = 0;
  for (std::size_t kind = 0; kind < kOv2FaultKinds; ++kind) {
    if (kind != static_cast<std::size_t>(Ov2Fault::kOffEarth)) repaired += summary.faults[kind];
  }
  flow.PassedOver(repaired);
  return kExitOk;
}

int ReadCsv(const std::string& path, const std::string& bytes, const TextOptions& options,
            PointSink& flow) {
  // A spreadsheet saves CSV in Windows' own code page unless told otherwise: a file that
  // is no UTF-8 is read as Windows-1252, and said so, rather than its letters lost. Its
  // "Unicode text" is UTF-16, which its byte order mark tells.
  std::string converted;
  if (!AppendUtf8FromMarkedUtf16(converted, bytes) && !IsUtf8(bytes)) {
    AppendUtf8FromWindows1252(converted, bytes);
    tools::Print(stderr, "%s: not UTF-8: read as Windows-1252\n", tools::Shown(path).c_str());
  }
  CsvReader reader(converted.empty() ? std::string_view(bytes) : converted);
  if (!reader.ReadHeader()) return CannotRead(reader.Error(), path);
  Utf8Points texts(options);
  CsvPoint record;
  InputPoint point;
  for (;;) {
    const CsvReader::Result result = reader.Next(record);
    const Place place{&path, nullptr, reader.LineNumber()};
    if (result == CsvReader::Result::kEnd) return kExitOk;
    if (result == CsvReader::Result::kBadRecord) {
      flow.LeftOut(place, reader.Error().what);
      continue;
    }
    point.longitude = record.longitude;
    point.latitude = record.latitude;
    texts.Fill(point, record.name, record.desc);
    if (!flow.Take(point, place)) return kExitFailed;
  }
}

// `readError` is what `bytes` could not read, once the parse has ended.
int ReadGpxFile(const std::string& path, const XmlBytes& bytes, const IoError& readError,
                PointSink& flow) {
  std::size_t ordinal = 0;
  bool flowing = true;
  // The coordinates are read, and the texts encoded, where the points are taken.
  const auto waypoint = [&](const GpxWaypoint& w) {
    ++ordinal;
    if (flowing) {
      flowing = flow.TakeText(TextPoint{w.latitude, w.longitude, w.name, w.desc},
                              Place{&path, "waypoint", ordinal});
    }
  };
  ContentError error;
  GpxPassedOver passedOver;
  if (!ReadGpx(bytes, waypoint, error, kGpxTwoThreadsFrom, &passedOver)) {
    return readError ? CannotRead(readError) : CannotRead(error, path);
  }
  // A GPS keeps its tracks in GPX files: their points are no points of interest, and
  // are passed over, but not without a word.
  if (passedOver.routePoints + passedOver.trackPoints > 0) {
    tools::Print(stderr, "%s: %zu route point%s and %zu track point%s passed over: an overlay takes waypoints\n",
                 tools::Shown(path).c_str(), passedOver.routePoints,
                 passedOver.routePoints == 1 ? "" : "s", passedOver.trackPoints,
                 passedOver.trackPoints == 1 ? "" : "s");
    flow.PassedOver(passedOver.routePoints + passedOver.trackPoints);
  }
  return flowing ? kExitOk : kExitFailed;
}

// A GPX file is parsed as it is read, each of the parser's threads reading its own part,
// so that it is never held whole. Where the system does not tell its size, it is read
// whole first.
int ReadGpxInput(const std::string& path, PointSink& flow) {
  IoError error;
  PathFacts facts;
  const FileHandle file = OpenRegularFile(path, facts, error);
  if (file == kNoFile) return CannotRead(error);
  const FileCalls& calls = CurrentFileCalls();
  if (facts.kind != PathKind::kFile) {
    calls.close(file);
    std::string whole;
    if (!ReadWholeFile(path, kWholeFileLimit, whole, error)) return CannotRead(error);
    return ReadGpxFile(path, XmlBytesOf(whole), IoError{}, flow);
  }
  if (facts.size > kWholeFileLimit) {
    calls.close(file);
    return CannotRead(TooLargeToRead(path, kWholeFileLimit));
  }
  std::mutex mutex;  // the parser's two threads may both fail
  IoError readError;
  const XmlBytes bytes{facts.size, [&](std::uint64_t offset, char* into, std::size_t size) {
                         const std::ptrdiff_t got = calls.readAt(file, into, size, offset);
                         if (got < 0) {
                           const std::string reason = std::strerror(errno != 0 ? errno : EIO);
                           const std::lock_guard<std::mutex> lock(mutex);
                           if (!readError) readError = {IoFailure::kReadFailed, path, reason};
                         }
                         return got;
                       }};
  try {
    const int status = ReadGpxFile(path, bytes, readError, flow);
    calls.close(file);
    return status;
  } catch (...) {
    calls.close(file);
    throw;
  }
}

}  // namespace

void SayRecordPassedOver(const std::string& path, std::size_t offset, std::uint8_t type) {
  tools::Print(stderr, "%s: record at byte %zu of type %u passed over\n", tools::Shown(path).c_str(), offset,
               static_cast<unsigned>(type));
}

std::string Ov2FaultCounts(const Ov2Summary& summary, bool repaired, const char* between) {
  std::string text;
  for (std::size_t kind = 0; kind < kOv2FaultKinds; ++kind) {
    const std::size_t count = summary.faults[kind];
    if (count == 0) continue;
    const FaultWords& words = kFaultWords[kind];
    if (!text.empty()) text += between;
    text += std::to_string(count) + " ";
    text += repaired ? (count == 1 ? words.repairedOne : words.repairedMany)
                     : (count == 1 ? words.one : words.many);
  }
  return text;
}

int ReadInput(const std::string& path, const TextOptions& options, Ov2Reading reading,
              PointSink& flow) {
  const InputKind kind = KindOf(path);
  if (kind == InputKind::kPushpins) return ReadPushpins(path, options, flow);
  if (kind == InputKind::kAsc) return ReadAsc(path, options, flow);
  if (kind == InputKind::kOverlay) return ReadOverlay(path, options, reading, flow);
  if (kind == InputKind::kGpx) return ReadGpxInput(path, flow);
  std::string bytes;
  IoError error;
  if (!ReadWholeFile(path, kWholeFileLimit, bytes, error)) return CannotRead(error);
  if (kind == InputKind::kCsv) return ReadCsv(path, bytes, options, flow);
  tools::Print(stderr, "ov2: %s: not a file ov2 reads (pushpins, .asc, .ov2, .csv or .gpx)\n",
               tools::Shown(path).c_str());
  return kExitFailed;
}

}  // namespace qh::ov2
