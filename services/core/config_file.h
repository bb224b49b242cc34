// The settings of the window services and the reading of their configuration file
// "paneward.ini". The reading is a pure function of the text, so the Win32 start-up
// only opens the file and hands its text over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "services/text.h"

namespace qh {

// The layer's version text, shown when the configuration asks for the version.
inline constexpr std::string_view kVersionMessage = "Paneward version 2.30e";

// Held for the life of the program. The reporting mode and the error values are
// kept by the error routine itself (IErMode, IErInfo), not here.
struct ServiceSettings {
  bool started = false;

  // Measured from the screen device and the system at start.
  int screenWidth = 0;
  int screenHeight = 0;
  std::int64_t displayColours = 0;
  int defaultPaletteSize = 0;

  FixedText<60> applicationName{"Paneward"};
  FixedText<140> libraryFolder;
  FixedText<160> configFile;

  int generalUnit = 40;     // LFNGEN
  int plotOutputUnit = 41;  // LFNPLOTO
  int plotInputUnit = 42;   // LFNPLOTI
  int printerDriver = 0;    // PRINTER
  int plotterDriver = 0;    // PLOTTER
  int hpgl2 = 0;            // HPGL2

  FixedText<160> plotFile{"paneward.plt"};  // PLNAME
  FixedText<160> dumpFile{"paneward.dmp"};
  FixedText<160> charsetFile{"standard.chr"};  // CHARSET
  FixedText<140> charsetFolder;                // PANECHDIR, CHARDIR
  FixedText<200> browser{"netscape"};          // BROWSER
  FixedText<160> tempPlotFile;
  FixedText<140> systemFolder;

  // A keyword beginning with "VER" was met: start-up ends with kVersionMessage.
  bool versionRequested = false;
};

// The program-wide settings (the application name is the abnormal-exit caption).
ServiceSettings& Settings();

// Longest configuration line; the rest of a longer line is cut off.
inline constexpr std::size_t kConfigLineLength = 170;

// Applies one line of the configuration file ("keyword = value"); malformed lines
// and unknown keywords leave everything unchanged. DEBUG goes to IErMode.
void ApplyConfigLine(std::string_view line, ServiceSettings& settings);
// Applies every line of a file's text in order (LF or CR LF line ends).
void ApplyConfigText(std::string_view fileText, ServiceSettings& settings);

// The integer of a configuration value: its first blank-delimited word, an optional
// sign and 1 to 10 digits within the 32-bit range. A word that does not convert is
// reported through IErReport (code 12, or 4 when too large) and false is returned.
bool ConvertConfigInteger(std::string_view value, std::int32_t& result);

// --- pieces of the start-up that do not need the system ---

// Display colours: 2 ^ (planes x bits per pixel), the bits counted at most 24.
std::int64_t DisplayColours(int planes, int bitsPerPixel);
// 2 for 2 colours, 8 for 16, 16 for 256, 256 for any other count.
int DefaultPaletteSize(std::int64_t colours);

// The library folder from the variables "PANEWARD" and "PANEIDE" (blank when
// unset) and the current folder, cut to 140 characters.
std::string LibraryFolderFrom(std::string_view paneward, std::string_view paneide,
                              std::string_view currentFolder);

// "PANEDEBUG": its first character, when a digit 0 to 4, becomes the reporting mode.
void ApplyDebugVariable(std::string_view value);

// Appends "\" to a character set folder that is not blank and does not end in one.
void FinishCharsetFolder(ServiceSettings& settings);

}  // namespace qh
