// The extra sections of a resource dialog: a NUL-terminated text resource with the
// dialog's id, whose lines "[Ranges]", "[Menus]", ... open sections and whose other
// lines are entries that start with a field id. Parsed here, applied by the layer.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace qh {

struct RangeEntry {
  int field = 0;
  double low = 0;
  double high = 0;
};

// A list or combo box: its items and the 1-based item to select (0: none).
struct MenuEntry {
  int field = 0;
  int selected = 0;
  std::vector<std::string> items;
};

struct CheckEntry {
  int field = 0;
  int state = 0;
};

struct TabPage {
  int dialogId = 0;
  std::string label;
};

struct TabEntry {
  int field = 0;
  int selectDialog = 0;
  std::vector<TabPage> pages;
};

struct GridEntry {
  int field = 0;
  std::string description;
};

// Two colours, red, green, blue each: text and background.
struct ColourEntry {
  int field = 0;
  std::array<int, 3> first{};
  std::array<int, 3> second{};
};

// Tick frequency, line size, page size, selection start and end.
struct TrackbarEntry {
  int field = 0;
  std::array<int, 5> values{};
};

struct LengthEntry {
  int field = 0;
  int length = 0;
};

struct DialogSections {
  std::vector<RangeEntry> ranges;
  std::vector<MenuEntry> menus;
  std::vector<CheckEntry> checks;
  std::vector<TabEntry> tabs;
  std::vector<GridEntry> grids;
  std::vector<ColourEntry> colours;
  std::vector<TrackbarEntry> trackbars;
  std::vector<LengthEntry> lengths;

  bool Empty() const {
    return ranges.empty() && menus.empty() && checks.empty() && tabs.empty() && grids.empty() &&
           colours.empty() && trackbars.empty() && lengths.empty();
  }
};

// Reads the text up to its first NUL. Lines end in LF (a CR before it is dropped).
// An entry line that does not start with a field id is skipped; missing numbers
// read as 0. The item lines of a "[Menus]" or "[Tabs]" entry follow it directly and
// are taken as they stand (trailing blanks dropped), even when they look like headers.
DialogSections ParseDialogSections(std::string_view text);

}  // namespace qh
