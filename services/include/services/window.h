// The root window: start-up of the services, the frame with its menu, toolbar,
// status bar and drawing area, menu states, and text output in drawing units
// (each axis of the drawing area runs from 0 to 9999 whatever its size in pixels).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "services/text.h"

namespace qh {

// Style bits of RootWindowSpec::flags.
enum RootStyle : std::int32_t {
  kSysMenu = 1,
  kMinButton = 2,
  kMaxButton = 4,
  kMaximised = 8,
  kStatusBar = 32,
  kFixedSize = 64,
  kHidden = 128,
  kAlwaysOnTop = 512,
};

struct RootWindowSpec {
  std::int32_t flags = 0;
  std::int32_t x = -1;  // negative: centred on the screen
  std::int32_t y = -1;
  std::int32_t width = 0;  // drawing area in pixels; below 1: 80 % of the screen
  std::int32_t height = 0;
  std::int32_t menuId = 0;  // also names the accelerator table and the menu path table
  FixedText<80> title;
};

// Menu item states for IMnSetState / IMnGetState.
enum MenuStateKind : int { kMenuEnabled = 1, kMenuChecked = 2 };

void IWnStart(std::string_view configName);
void IWnOpenRoot(const RootWindowSpec& rootSpec, std::optional<int> paletteSize = std::nullopt);
void IWnStatusParts(int count, std::span<const int> widths,
                    std::span<const int> styles = {});
void IWnStatusText(int part, std::string_view text);
void IWnToolbar(int resourceId, std::optional<int> window = std::nullopt,
                std::optional<int> position = std::nullopt);
void IMnSetState(int itemId, int what, int value);
int IMnGetState(int itemId, int what);
void IWnClear();
void IWnOutText(int x, int y, std::string_view text);
// The width `text` takes when IWnOutText draws it, in drawing units of the drawing
// area's width (0 to 9999 across); 0 while the root window is closed.
int IWnTextWidth(std::string_view text);
void IWnStop();

}  // namespace qh
