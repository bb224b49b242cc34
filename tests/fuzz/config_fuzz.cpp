// The configuration-file reader of the start-up. Any text: the three unit numbers stay
// distinct, the reporting mode stays one of 0 to 4, no error value is left behind, and
// a line longer than the limit counts only up to it. A generated line
// "keyword = value" sets the setting it names to the value, cut to the setting's length.
#include <algorithm>
#include <filesystem>
#include <string>

#include "core/config_file.h"
#include "core/error_state.h"
#include "services/errors.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/temp_folder.h"

namespace {

using qh::fuzz::Shown;

bool Same(const qh::ServiceSettings& a, const qh::ServiceSettings& b) {
  return a.generalUnit == b.generalUnit && a.plotOutputUnit == b.plotOutputUnit &&
         a.plotInputUnit == b.plotInputUnit && a.printerDriver == b.printerDriver &&
         a.plotterDriver == b.plotterDriver && a.hpgl2 == b.hpgl2 && a.plotFile == b.plotFile &&
         a.charsetFile == b.charsetFile && a.charsetFolder == b.charsetFolder &&
         a.browser == b.browser && a.versionRequested == b.versionRequested;
}

// The text with every line cut to the limit. A CR goes after the cut wherever the reader
// would otherwise drop one it keeps in the original: the line's own last CR, or one the
// cut leaves at the end.
std::string CutLines(std::string_view text) {
  std::string out;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    const bool endsInCr = line.ends_with('\r');
    if (endsInCr) line.remove_suffix(1);
    const std::string_view kept = line.substr(0, qh::kConfigLineLength);
    out.append(kept);
    if (endsInCr || kept.ends_with('\r')) out += '\r';
    if (end == std::string_view::npos) break;
    out += '\n';
    text.remove_prefix(end + 1);
  }
  return out;
}

qh::ServiceSettings Applied(std::string_view text, int& mode) {
  qh::ResetErrorStateForTests();
  qh::ServiceSettings settings;
  qh::ApplyConfigText(text, settings);
  mode = qh::ErrorMode();
  QH_FUZZ_CHECK(qh::IErInfo(1) == 0, "an error value left behind by " + Shown(text));
  return settings;
}

std::string Keyword(std::string_view name, unsigned caseBits) {
  std::string word(name);
  for (std::size_t i = 0; i < word.size(); ++i)
    if ((caseBits >> i) & 1) word[i] = static_cast<char>(word[i] - 'A' + 'a');
  return word;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A DEBUG line may ask for the debug file: let it land in a folder of our own.
  static qh::test::TempFolder folder;
  static const bool moved = [] {
    std::filesystem::current_path(folder.Path());
    return true;
  }();
  (void)moved;

  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int mode = 0, cutMode = 0;
  const qh::ServiceSettings settings = Applied(text, mode);
  QH_FUZZ_CHECK(settings.generalUnit != settings.plotOutputUnit &&
                    settings.generalUnit != settings.plotInputUnit &&
                    settings.plotOutputUnit != settings.plotInputUnit,
                "two settings share a unit after " + Shown(text));
  QH_FUZZ_CHECK(mode >= 0 && mode <= 4, "reporting mode " + std::to_string(mode));
  const qh::ServiceSettings cut = Applied(CutLines(text), cutMode);
  QH_FUZZ_CHECK(Same(settings, cut) && mode == cutMode,
                "the part of a line past the limit counted: " + Shown(text));

  // One generated line for a text setting: the value, blanks and tabs as blanks.
  qh::fuzz::Bytes input(data, size);
  static constexpr std::string_view kTextKeywords[] = {"PLNAME", "CHARSET", "CHARDIR", "BROWSER"};
  const std::uint8_t which = input.Take<std::uint8_t>();
  const unsigned caseBits = input.Take<std::uint8_t>();
  std::string value(input.Run(200));
  for (char& c : value) {
    if (c == '\n' || c == '\r' || c == '\0') c = 'x';
    if (c == '\t') c = ' ';
  }
  const std::size_t first = value.find_first_not_of(' ');
  if (first == std::string::npos) return 0;
  const std::string keyword = Keyword(kTextKeywords[which % 4], caseBits);
  const std::string line = " " + keyword + " = " + value;
  qh::ServiceSettings one;
  qh::ApplyConfigLine(line, one);
  qh::IErInfo(1);
  // The value after the first "=" and its leading blanks, within the line's limit.
  std::string stored = line.substr(0, qh::kConfigLineLength);
  stored = stored.substr(stored.find('=') + 1);
  stored = stored.substr(std::min(stored.find_first_not_of(' '), stored.size()));
  std::string_view got;
  std::size_t length = 0;
  switch (which % 4) {
    case 0: got = one.plotFile.Trim(); length = one.plotFile.kLength; break;
    case 1: got = one.charsetFile.Trim(); length = one.charsetFile.kLength; break;
    case 2: got = one.charsetFolder.Trim(); length = one.charsetFolder.kLength; break;
    default: got = one.browser.Trim(); length = one.browser.kLength; break;
  }
  const std::string_view want = qh::Trimmed(std::string_view(stored).substr(0, length));
  if (line.find('=') + 1 < qh::kConfigLineLength && !want.empty()) {
    QH_FUZZ_CHECK(got == want, "line " + Shown(line) + " stored " + Shown(got));
  }
  return 0;
}
