// The dialog extra-sections parser. Any text: no line gives more than one entry or
// item, items and labels carry no line end and no trailing blank, and every number
// read as unsigned is not negative. Sections written from the input's numbers read
// back as written.
#include <array>
#include <cstdio>
#include <string>

#include "core/dialog_sections.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using qh::fuzz::Shown;

std::size_t LineCount(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  if (text.empty()) return 0;
  std::size_t lines = 1;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) lines += text[i] == '\n';
  return lines;
}

// Lines end at LF (a CR before it goes too); a CR inside a line is data. An item never
// holds a line end nor keeps trailing blanks.
bool CleanItem(std::string_view item) {
  return item.find('\n') == std::string_view::npos &&
         (item.empty() || (item.back() != ' ' && item.back() != '\t' && item.back() != '\r'));
}

void CheckAnyText(std::string_view text) {
  const qh::DialogSections s = qh::ParseDialogSections(text);
  std::size_t taken = s.ranges.size() + s.checks.size() + s.grids.size() + s.colours.size() +
                      s.trackbars.size() + s.lengths.size();
  bool unsignedOk = true;
  for (const auto& e : s.checks) unsignedOk &= e.field >= 0 && e.state >= 0;
  for (const auto& e : s.lengths) unsignedOk &= e.field >= 0 && e.length >= 0;
  for (const auto& e : s.ranges) unsignedOk &= e.field >= 0;
  for (const auto& e : s.grids) unsignedOk &= e.field >= 0 && CleanItem(e.description);
  for (const auto& e : s.colours)
    for (int i = 0; i < 3; ++i) unsignedOk &= e.field >= 0 && e.first[i] >= 0 && e.second[i] >= 0;
  for (const auto& e : s.trackbars)
    for (int v : e.values) unsignedOk &= e.field >= 0 && v >= 0;
  for (const auto& e : s.menus) {
    taken += 1 + e.items.size();
    unsignedOk &= e.field >= 0 && e.selected >= 0;
    for (const auto& item : e.items) QH_FUZZ_CHECK(CleanItem(item), "menu item " + Shown(item));
  }
  for (const auto& e : s.tabs) {
    taken += 1 + e.pages.size();
    unsignedOk &= e.field >= 0 && e.selectDialog >= 0;
    for (const auto& page : e.pages) {
      unsignedOk &= page.dialogId >= 0;
      QH_FUZZ_CHECK(CleanItem(page.label), "tab label " + Shown(page.label));
    }
  }
  QH_FUZZ_CHECK(unsignedOk, "a negative number read as unsigned from " + Shown(text));
  QH_FUZZ_CHECK(taken <= LineCount(text), std::to_string(taken) + " entries and items from " +
                                              std::to_string(LineCount(text)) + " lines");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckAnyText(std::string_view(reinterpret_cast<const char*>(data), size));

  // Sections written from the input's numbers, with a menu whose items look like
  // headers and entries, read back as written.
  qh::fuzz::Bytes input(data, size);
  const int field = input.Take<std::uint16_t>();
  const int state = input.Take<std::uint16_t>();
  std::array<int, 5> track{};
  for (int& v : track) v = input.Take<std::uint16_t>();
  const double low = input.Take<std::int32_t>() / 64.0;
  const double high = input.Take<std::int32_t>() / 8.0;
  std::string item(input.Run(40));
  for (char& c : item)
    if (c == '\n' || c == '\r' || c == '\0') c = '.';
  while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.pop_back();

  std::string text = "[Checks]\r\n " + std::to_string(field) + " " + std::to_string(state) +
                     "\n[Trackbars]\n" + std::to_string(field);
  for (int v : track) text += " " + std::to_string(v);
  text += "\n[Menus]\n" + std::to_string(field) + " 2 1\n[Ranges]\n" + item + "\n[Ranges]\n";
  char number[64];
  std::snprintf(number, sizeof number, "%d %.17g %.17g\n", field, low, high);
  text += number;
  const qh::DialogSections s = qh::ParseDialogSections(text);
  QH_FUZZ_CHECK(s.checks.size() == 1 && s.checks[0].field == field && s.checks[0].state == state,
                "checks of " + Shown(text));
  QH_FUZZ_CHECK(s.trackbars.size() == 1 && s.trackbars[0].values == track, "trackbar of " + Shown(text));
  QH_FUZZ_CHECK(s.menus.size() == 1 && s.menus[0].selected == 1 && s.menus[0].items.size() == 2 &&
                    s.menus[0].items[0] == "[Ranges]" && s.menus[0].items[1] == item,
                "menu of " + Shown(text));
  QH_FUZZ_CHECK(s.ranges.size() == 1 && s.ranges[0].field == field && s.ranges[0].low == low &&
                    s.ranges[0].high == high,
                "range of " + Shown(text));
  return 0;
}
