// Reading of "paneward.ini": lines of "keyword = value", matched by the first eight
// letters of the keyword. Anything malformed is skipped without a word.
#include "core/config_file.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

#include "services/errors.h"
#include "core/error_codes.h"
#include "numeric/ascii.h"

namespace qh {
namespace {

constexpr int kFirstWrongDigit = '3';  // a 10-digit number must begin with 0, 1 or 2
constexpr std::int64_t kLargest = 2147483647;

enum class Keyword { Printer, Plotter, PlotName, PlotOutput, PlotInput, General, Hpgl2, Debug,
                     Charset, CharsetFolder, Browser, None };

// The keywords, each as 8 characters padded with blanks.
constexpr std::string_view kKeywordTable =
    "PRINTER PLOTTER PLNAME  LFNPLOTOLFNPLOTILFNGEN  HPGL2   DEBUG   CHARSET CHARDIR BROWSER ";

Keyword FindKeyword(std::string_view word) {
  std::array<char, 8> key;
  key.fill(' ');
  for (std::size_t i = 0; i < key.size() && i < word.size(); ++i) key[i] = UpperAscii(word[i]);
  const std::string_view k(key.data(), key.size());
  for (std::size_t i = 0; i + 8 <= kKeywordTable.size(); i += 8) {
    if (kKeywordTable.substr(i, 8) == k) return static_cast<Keyword>(i / 8);
  }
  return Keyword::None;
}

bool StartsWithVer(std::string_view word) {
  return word.size() >= 3 && UpperAscii(word[0]) == 'V' && UpperAscii(word[1]) == 'E' &&
         UpperAscii(word[2]) == 'R';
}

// The first blank-delimited word of `text`, leading blanks skipped.
std::string_view FirstWord(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  const std::size_t end = text.find(' ', start);
  return text.substr(start, end == std::string_view::npos ? text.npos : end - start);
}

// A conversion error is reported (the reporting mode may show it) and then cleared,
// so a bad line leaves no error value behind.
bool ConfigInteger(std::string_view value, int& result) {
  std::int32_t n = 0;
  if (!ConvertConfigInteger(value, n)) {
    IErInfo(kInfoLastError);
    return false;
  }
  result = n;
  return true;
}

}  // namespace

ServiceSettings& Settings() {
  static ServiceSettings settings;
  return settings;
}

bool ConvertConfigInteger(std::string_view value, std::int32_t& result) {
  std::string_view word = FirstWord(value);
  bool negative = false;
  if (!word.empty() && (word[0] == '+' || word[0] == '-')) {
    negative = word[0] == '-';
    word.remove_prefix(1);
  }
  if (word.empty() || !std::all_of(word.begin(), word.end(),
                                   [](char c) { return c >= '0' && c <= '9'; })) {
    IErReport(kErrInvalidCharacter);
    return false;
  }
  if (word.size() > 10 || (word.size() == 10 && word[0] >= kFirstWrongDigit)) {
    IErReport(kErrNumberTooLarge);
    return false;
  }
  std::int64_t magnitude = 0;
  for (char c : word) magnitude = magnitude * 10 + (c - '0');
  if (magnitude > kLargest) {
    IErReport(kErrNumberTooLarge);
    return false;
  }
  result = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

namespace {

// A unit number is taken only when no other unit has it already.
void SetUnit(std::string_view value, int& unit, int other1, int other2) {
  int number = 0;
  if (ConfigInteger(value, number) && number != other1 && number != other2) unit = number;
}

// The value of one keyword, blanks before it gone.
void ApplyKeyword(Keyword keyword, std::string_view value, ServiceSettings& settings) {
  int number = 0;
  switch (keyword) {
    case Keyword::Printer:
      if (ConfigInteger(value, number)) settings.printerDriver = number;
      break;
    case Keyword::Plotter:
      if (ConfigInteger(value, number)) settings.plotterDriver = number;
      break;
    case Keyword::Hpgl2:
      if (ConfigInteger(value, number)) settings.hpgl2 = number;
      break;
    case Keyword::PlotOutput:
      SetUnit(value, settings.plotOutputUnit, settings.generalUnit, settings.plotInputUnit);
      break;
    case Keyword::PlotInput:
      SetUnit(value, settings.plotInputUnit, settings.generalUnit, settings.plotOutputUnit);
      break;
    case Keyword::General:
      SetUnit(value, settings.generalUnit, settings.plotOutputUnit, settings.plotInputUnit);
      break;
    case Keyword::Debug:
      if (ConfigInteger(value, number)) IErMode(number);  // ignores all but 0..4
      break;
    case Keyword::PlotName:
      settings.plotFile = value;
      break;
    case Keyword::Charset:
      settings.charsetFile = value;
      break;
    case Keyword::CharsetFolder:
      settings.charsetFolder = value;
      break;
    case Keyword::Browser:
      settings.browser = value;
      break;
    case Keyword::None:
      break;
  }
}

}  // namespace

void ApplyConfigLine(std::string_view rawLine, ServiceSettings& settings) {
  std::string line(rawLine.substr(0, kConfigLineLength));
  std::replace(line.begin(), line.end(), '\t', ' ');

  // Only the first "="; in column 1 there is no keyword, in column 170 no value.
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos || equals == 0 || equals == kConfigLineLength - 1) return;

  const std::string_view keyword = FirstWord(std::string_view(line).substr(0, equals));
  if (keyword.size() < 3) return;
  if (StartsWithVer(keyword)) {
    settings.versionRequested = true;
    return;
  }

  std::string_view value = std::string_view(line).substr(equals + 1);
  const std::size_t start = value.find_first_not_of(' ');
  if (start == std::string_view::npos) return;
  value.remove_prefix(start);
  ApplyKeyword(FindKeyword(keyword), value, settings);
}

void ApplyConfigText(std::string_view fileText, ServiceSettings& settings) {
  while (!fileText.empty()) {
    const std::size_t end = fileText.find('\n');
    std::string_view line = fileText.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ApplyConfigLine(line, settings);
    if (end == std::string_view::npos) break;
    fileText.remove_prefix(end + 1);
  }
}

std::int64_t DisplayColours(int planes, int bitsPerPixel) {
  const int bits = std::clamp(planes * bitsPerPixel, 0, 24);
  return std::int64_t{1} << bits;
}

int DefaultPaletteSize(std::int64_t colours) {
  switch (colours) {
    case 2: return 2;
    case 16: return 8;
    case 256: return 16;
    default: return 256;
  }
}

std::string LibraryFolderFrom(std::string_view paneward, std::string_view paneide,
                              std::string_view currentFolder) {
  constexpr std::size_t kLength = 140;
  std::string folder;
  if (!IsBlank(paneward)) {
    folder = Trimmed(paneward);
    if (folder.back() != '\\') folder += '\\';
  } else if (!IsBlank(paneide)) {
    folder = Trimmed(paneide);
    std::string upper = folder;
    UpperAscii(upper);
    const std::size_t at = upper.rfind("PANEIDE");
    if (at != std::string::npos) folder.resize(at);
  } else {
    const bool hasDrive = currentFolder.size() >= 2 && currentFolder[1] == ':';
    folder = std::string(hasDrive ? currentFolder.substr(0, 2) : std::string_view{}) +
             "\\paneward\\";
  }
  if (folder.size() > kLength) folder.resize(kLength);
  return folder;
}

void ApplyDebugVariable(std::string_view value) {
  if (value.empty()) return;
  const int mode = value[0] - '0';
  if (mode >= 0 && mode <= 4) IErMode(mode);
}

void FinishCharsetFolder(ServiceSettings& settings) {
  const std::size_t n = settings.charsetFolder.Length();
  if (n == 0 || settings.charsetFolder[n - 1] == '\\') return;
  // A folder that fills the whole setting has no room for the "\": it stays as read.
  if (n < settings.charsetFolder.kLength) settings.charsetFolder[n] = '\\';
}

}  // namespace qh
