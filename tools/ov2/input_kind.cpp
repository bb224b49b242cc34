#include "tools/ov2/input_kind.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "formats/asc_reader.h"
#include "overlay/byte_reader.h"
#include "formats/csv_reader.h"
#include "formats/text_encoding.h"
#include "files/file_calls.h"
#include "files/file_system.h"
#include "formats/pushpin_reader.h"

namespace qh::ov2 {
namespace {

constexpr std::size_t kHeadBytes = 4096;

// The first line that is neither blank, a comment nor a title holds a point.
// `whole`: the head is the whole file, so its last line is complete.
bool LooksLikeAsc(std::string_view head, bool whole) {
  while (!head.empty()) {
    std::size_t end = 0, next = 0;
    FindAscLineEnd(head, end, next);
    if (end == head.size() && !whole) return false;  // a line cut by the head's end
    AscPoint point;
    std::string_view reason;
    const std::string_view line = head.substr(0, end);
    const AscLineKind kind = ParseAscLine(line, point, reason);
    if (kind == AscLineKind::kPoint) return true;
    if (kind == AscLineKind::kBad && !IsAscTitle(line)) return false;
    head.remove_prefix(next);
  }
  return false;
}

// A first record of a known type whose length fits the file.
bool LooksLikeOverlay(std::string_view head, std::size_t size) {
  ByteReader reader(head);
  const std::uint8_t type = reader.U8();
  const std::uint32_t length = reader.U32();
  return !reader.Failed() && type <= 3 && length >= 5 && length <= size;
}

// A header whose pin count the file can hold: any file of 32 bytes has a header, but
// a picture's or a document's read as one claims more pins than its size allows.
bool LooksLikePushpins(std::string_view head, std::size_t size) {
  ByteReader reader(head);
  reader.Seek(12);
  const std::int32_t pins = reader.I32();
  return !reader.Failed() && pins >= 0 &&
         kPushpinHeaderBytes + kPinRecordLeast * static_cast<std::uint64_t>(pins) <= size;
}

}  // namespace

InputKind KindByName(std::string_view path) {
  const std::string extension = LowerCaseExtension(path);
  if (extension == "psp") return InputKind::kPushpins;
  if (extension == "asc") return InputKind::kAsc;
  if (extension == "ov2") return InputKind::kOverlay;
  if (extension == "csv") return InputKind::kCsv;
  if (extension == "gpx") return InputKind::kGpx;
  return InputKind::kUnknown;
}

InputKind KindByContent(std::string_view head, std::size_t size) {
  // Text in UTF-16 ("Unicode text" of a spreadsheet, or XML) is told by its byte order
  // mark, and looked at in UTF-8.
  std::string fromUtf16;
  std::string_view text = AppendUtf8FromMarkedUtf16(fromUtf16, head) ? fromUtf16 : head;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && text[first] == '<') return InputKind::kGpx;
  if (CsvReader(text).ReadHeader()) return InputKind::kCsv;
  if (LooksLikeOverlay(head, size)) return InputKind::kOverlay;
  if (LooksLikeAsc(head, head.size() == size)) return InputKind::kAsc;
  if (LooksLikePushpins(head, size)) return InputKind::kPushpins;
  return InputKind::kUnknown;
}

InputKind KindOf(const std::string& path) {
  const InputKind named = KindByName(path);
  if (named != InputKind::kUnknown) return named;
  // Only a regular file is looked into (opening a FIFO would wait for a writer); the
  // reader says why anything else is no input.
  PathFacts facts;
  IoError error;
  const FileHandle file = OpenRegularFile(path, facts, error);
  if (file == kNoFile) return InputKind::kUnknown;
  const FileCalls& calls = CurrentFileCalls();
  std::string head(kHeadBytes, '\0');
  std::size_t held = 0;
  std::ptrdiff_t got = 0;
  while (held < head.size() && (got = calls.read(file, head.data() + held, head.size() - held)) > 0) {
    held += static_cast<std::size_t>(got);
  }
  calls.close(file);
  head.resize(held);
  const bool sized = facts.kind == PathKind::kFile;
  const std::uint64_t most = std::numeric_limits<std::size_t>::max();
  return KindByContent(head, sized ? static_cast<std::size_t>(std::min(facts.size, most)) : held);
}

const char* KindName(InputKind kind) {
  switch (kind) {
    case InputKind::kPushpins: return "pushpin file";
    case InputKind::kAsc: return ".asc point file";
    case InputKind::kOverlay: return "overlay";
    case InputKind::kCsv: return "CSV file";
    case InputKind::kGpx: return "GPX file";
    case InputKind::kUnknown: break;
  }
  return "file of no known kind";
}

}  // namespace qh::ov2
