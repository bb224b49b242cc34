#include "core/dialog_sections.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <cstddef>
#include <system_error>

#include "numeric/ascii.h"

namespace qh {
namespace {

enum class Section { None, Ranges, Menus, Checks, Tabs, Grids, Colours, Trackbars, Lengths };

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view DropTrailingBlanks(std::string_view s) {
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view DropLeadingBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

// Splits the text, up to its first NUL, into lines without their CR LF.
std::vector<std::string_view> Lines(std::string_view text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

Section HeaderOf(std::string_view line) {
  static constexpr std::pair<std::string_view, Section> kHeaders[] = {
      {"[Ranges]", Section::Ranges},   {"[Menus]", Section::Menus},
      {"[Checks]", Section::Checks},   {"[Tabs]", Section::Tabs},
      {"[Grids]", Section::Grids},     {"[Colours]", Section::Colours},
      {"[Trackbars]", Section::Trackbars}, {"[Lengths]", Section::Lengths}};
  line = DropLeadingBlanks(line);
  for (const auto& [name, section] : kHeaders) {
    if (line.substr(0, name.size()) == name) return section;
  }
  return Section::None;
}

// Reads the blank-separated words of an entry line, one at a time.
class Words {
 public:
  explicit Words(std::string_view line) : rest_(line) {}

  // An unsigned integer: decimal digits up to the first non-digit of the word. One too
  // large for an int stays at the largest, never wraps round to a negative id.
  int Unsigned() {
    const std::string_view word = Next();
    constexpr long long kLargest = std::numeric_limits<int>::max();
    long long value = 0;
    for (char c : word) {
      if (!IsDigit(c)) break;
      value = std::min(value * 10 + (c - '0'), kLargest);
    }
    return static_cast<int>(value);
  }

  // A real in fixed-point, integer or exponent form (E or D); 0 when unreadable.
  double Real() {
    std::string word(Next());
    if (!word.empty() && word[0] == '+') word.erase(0, 1);
    for (char& c : word)
      if (c == 'd' || c == 'D') c = 'e';
    double value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc()) return 0;
    (void)end;  // digits up to the first character that is not part of the number
    return value;
  }

  // What is left of the line after the words read so far, without outer blanks.
  std::string Rest() const { return std::string(DropTrailingBlanks(DropLeadingBlanks(rest_))); }

 private:
  std::string_view Next() {
    rest_ = DropLeadingBlanks(rest_);
    std::size_t n = 0;
    while (n < rest_.size() && !IsBlank(rest_[n])) ++n;
    const std::string_view word = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return word;
  }

  std::string_view rest_;
};

// A "[Menus]" entry: its items are the lines after it.
MenuEntry ReadMenu(int field, Words& words, const std::vector<std::string_view>& lines,
                   std::size_t& i) {
  MenuEntry e;
  e.field = field;
  const int count = words.Unsigned();
  e.selected = words.Unsigned();
  for (int n = 0; n < count && i + 1 < lines.size(); ++n)
    e.items.emplace_back(DropTrailingBlanks(lines[++i]));
  return e;
}

// A "[Tabs]" entry: a page dialog and its label on each line after it.
TabEntry ReadTabs(int field, Words& words, const std::vector<std::string_view>& lines,
                  std::size_t& i) {
  TabEntry e;
  e.field = field;
  const int count = words.Unsigned();
  e.selectDialog = words.Unsigned();
  for (int n = 0; n < count && i + 1 < lines.size(); ++n) {
    Words page(lines[++i]);
    TabPage p;
    p.dialogId = page.Unsigned();
    p.label = page.Rest();
    e.pages.push_back(std::move(p));
  }
  return e;
}

// The entry of `field` in `section`; `i` moves past the lines it takes.
void ReadEntry(Section section, int field, Words& words, const std::vector<std::string_view>& lines,
               std::size_t& i, DialogSections& out) {
  switch (section) {
    case Section::Ranges: {
      RangeEntry e{field, 0, 0};
      e.low = words.Real();
      e.high = words.Real();
      out.ranges.push_back(e);
      break;
    }
    case Section::Menus:
      out.menus.push_back(ReadMenu(field, words, lines, i));
      break;
    case Section::Checks:
      out.checks.push_back(CheckEntry{field, words.Unsigned()});
      break;
    case Section::Tabs:
      out.tabs.push_back(ReadTabs(field, words, lines, i));
      break;
    case Section::Grids:
      out.grids.push_back(GridEntry{field, words.Rest()});
      break;
    case Section::Colours: {
      ColourEntry e;
      e.field = field;
      for (int& c : e.first) c = words.Unsigned();
      for (int& c : e.second) c = words.Unsigned();
      out.colours.push_back(e);
      break;
    }
    case Section::Trackbars: {
      TrackbarEntry e;
      e.field = field;
      for (int& v : e.values) v = words.Unsigned();
      out.trackbars.push_back(e);
      break;
    }
    case Section::Lengths:
      out.lengths.push_back(LengthEntry{field, words.Unsigned()});
      break;
    case Section::None:
      break;
  }
}

}  // namespace

DialogSections ParseDialogSections(std::string_view text) {
  DialogSections out;
  const std::vector<std::string_view> lines = Lines(text);
  Section section = Section::None;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (const Section header = HeaderOf(line); header != Section::None) {
      section = header;
      continue;
    }
    const std::string_view body = DropLeadingBlanks(line);
    if (body.empty() || !IsDigit(body.front()) || section == Section::None) continue;
    Words words(body);
    const int field = words.Unsigned();
    ReadEntry(section, field, words, lines, i, out);
  }
  return out;
}

}  // namespace qh
