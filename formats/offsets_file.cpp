#include "formats/offsets_file.h"

#include "files/file_calls.h"

#include <charconv>
#include <system_error>

#include "files/complete_file.h"
#include "files/file_system.h"
#include "numeric/edit_descriptors.h"
#include "numeric/ascii.h"

namespace qh {

namespace {

// The file holds one line; anything much larger is not an offsets file.
constexpr std::size_t kLargestOffsetsFile = std::size_t{64} * 1024;

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool EndsItem(char c) { return IsBlankChar(c) || c == ',' || c == '/'; }

// One number item: optional sign, digits with an optional point (at least one digit),
// then an optional exponent with E or D. Read straight into single precision.
bool ParseNumber(std::string_view item, float& value) {
  std::string text(item);
  std::size_t k = 0;
  if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
  // from_chars takes no plus sign and would take "inf" or "nan": only digits from here.
  if (k >= text.size() || !(IsDigit(text[k]) || text[k] == '.')) return false;
  for (char& c : text)
    if (c == 'd' || c == 'D') c = 'e';
  const char* first = text.data() + (text[0] == '+' ? 1 : 0);
  const char* last = text.data() + text.size();
  float result = 0;
  const auto [end, ec] = std::from_chars(first, last, result);
  if (ec != std::errc() || end != last) return false;
  value = result;
  return true;
}

// Finds the next item of `content` from `pos`: skips blanks and at most one comma
// (a second comma would be an empty value). False at the end of the input, at a slash,
// or at an empty value.
bool NextItem(std::string_view content, std::size_t& pos, std::string_view& item) {
  bool comma = false;
  while (pos < content.size()) {
    const char c = content[pos];
    if (IsBlankChar(c)) {
      ++pos;
    } else if (c == ',') {
      if (comma) return false;
      comma = true;
      ++pos;
    } else {
      break;
    }
  }
  if (pos >= content.size() || content[pos] == '/') return false;
  const std::size_t start = pos;
  while (pos < content.size() && !EndsItem(content[pos])) ++pos;
  item = content.substr(start, pos - start);
  return true;
}

}  // namespace

bool ParseOffsets(std::string_view content, float& longitude, float& latitude) {
  std::size_t pos = 0;
  std::string_view item;
  float lon = 0, lat = 0;
  // A first item preceded by a comma is an empty value as well.
  while (pos < content.size() && IsBlankChar(content[pos])) ++pos;
  if (pos < content.size() && content[pos] == ',') return false;
  if (!NextItem(content, pos, item) || !ParseNumber(item, lon)) return false;
  if (!NextItem(content, pos, item) || !ParseNumber(item, lat)) return false;
  longitude = lon;
  latitude = lat;
  return true;
}

std::string OffsetsFileLine(float longitude, float latitude) {
  std::string line(1, ' ');
  line += EditG(longitude, 15, 7, 2);
  line += EditG(latitude, 15, 7, 2);
  line += "\r\n";
  return line;
}

OffsetsRead ReadOffsetsFile(std::string_view path, float& longitude, float& latitude) {
  longitude = latitude = 0;
  std::string content;
  IoError error;
  if (!ReadWholeFile(path, kLargestOffsetsFile, content, error)) {
    return error.what == IoFailure::kNotFound ? OffsetsRead::Missing : OffsetsRead::Bad;
  }
  float lon = 0, lat = 0;
  if (!ParseOffsets(content, lon, lat)) return OffsetsRead::Bad;
  longitude = lon;
  latitude = lat;
  return OffsetsRead::Loaded;
}

bool SetOffsetsFileAside(std::string_view path, std::string& asidePath) {
  asidePath.assign(path);
  asidePath += ".bad";
  const std::string from(path);
  // Only a file: a folder of that name is the person's own and stays where it is.
  return FileExists(from) && CurrentFileCalls().rename(from.c_str(), asidePath.c_str()) == 0;
}

bool WriteOffsetsFile(std::string_view path, float longitude, float latitude, IoError* error) {
  CompleteFile file;
  const bool ok =
      file.Open(path) && file.Write(OffsetsFileLine(longitude, latitude)) && file.Commit();
  if (!ok && error != nullptr) *error = file.Error();
  return ok;
}

}  // namespace qh
