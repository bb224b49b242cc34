// IWnStart: prepares the service layer once per process: screen measurement, the
// cleared state, the layer's folders and file names, the environment variables and
// the configuration file "paneward.ini".
#include <windows.h>

#include <array>
#include <string>

#include "boxes.h"
#include "core/config_file.h"
#include "core/error_state.h"
#include "os_services.h"
#include "services/errors.h"
#include "services/os.h"
#include "services/window.h"

namespace qh {
namespace {

template <std::size_t N>
std::string Variable(const char* name) {
  FixedText<N> value;
  IOsVariable(name, value.Span());
  return value.TrimmedString();
}

std::string CurrentFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = GetCurrentDirectoryA(sizeof(buffer), buffer);
  return (n > 0 && n < sizeof(buffer)) ? std::string(buffer, n) : std::string();
}

void MeasureScreen(ServiceSettings& s) {
  HDC screen = GetDC(nullptr);
  s.screenWidth = GetDeviceCaps(screen, HORZRES);
  s.screenHeight = GetDeviceCaps(screen, VERTRES);
  s.displayColours = DisplayColours(GetDeviceCaps(screen, PLANES), GetDeviceCaps(screen, BITSPIXEL));
  ReleaseDC(nullptr, screen);
  s.defaultPaletteSize = DefaultPaletteSize(s.displayColours);
}

// The first configuration file that exists: "PANEINIT", then "paneward.ini" in the
// current folder, then in the library folder.
std::string FindConfigFile(const ServiceSettings& s) {
  const std::string named = Variable<160>("PANEINIT");
  if (os::IsFile(named)) return named;
  const std::string here = os::WithBackslash(CurrentFolder()) + "paneward.ini";
  if (os::IsFile(here)) return here;
  if (!s.libraryFolder.Blank()) {
    const std::string inLibrary = s.libraryFolder.TrimmedString() + "paneward.ini";
    if (os::IsFile(inLibrary)) return inLibrary;
  }
  return {};
}

std::string TempPlotFile() {
  std::string folder = Variable<140>("TEMP");
  if (folder.empty()) folder = Variable<140>("TMP");
  if (folder.empty()) folder = "C:\\";
  // The two digits keep concurrent programs of the layer apart.
  char digits[3] = {'0', '0', '\0'};
  const unsigned number = static_cast<unsigned>(GetCurrentProcessId() % 100);
  digits[0] = static_cast<char>('0' + number / 10);
  digits[1] = static_cast<char>('0' + number % 10);
  return os::WithBackslash(folder) + "pnw$$" + digits + ".plt";
}

std::string SystemFolder() {
  char buffer[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryA(buffer, sizeof(buffer));
  return (n > 0 && n < sizeof(buffer)) ? std::string(buffer, n) : std::string();
}

// Reads the whole file, or nothing when it cannot be opened for reading as an
// existing file. A read error ends the text where it happened.
bool ReadConfigFile(const std::string& name, std::string& text) {
  if (!os::IsFile(name)) return false;
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::array<char, 4096> chunk;
  DWORD got = 0;
  while (ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) && got > 0) {
    text.append(chunk.data(), got);
  }
  CloseHandle(file);
  return true;
}

}  // namespace

void IWnStart(std::string_view configName) {
  ServiceSettings& s = Settings();
  if (s.started) return;

  // Cleared state: every setting at its default, no error, silent reporting.
  s = ServiceSettings{};
  s.started = true;
  MeasureScreen(s);
  ClearErrorState();
  InstallWindowErrorOutputs();

  s.libraryFolder = LibraryFolderFrom(Variable<140>("PANEWARD"), Variable<140>("PANEIDE"),
                                      CurrentFolder());
  s.configFile = FindConfigFile(s);
  s.tempPlotFile = TempPlotFile();

  std::string charsetFolder = Variable<140>("PANECHDIR");
  if (charsetFolder.empty() && !s.libraryFolder.Blank()) {
    const std::string candidate = s.libraryFolder.TrimmedString() + "charsets";
    if (os::IsFolder(candidate)) charsetFolder = candidate;
  }
  s.charsetFolder = charsetFolder;
  s.systemFolder = SystemFolder();

  // Before the file, so that its mode already covers errors raised while reading it.
  ApplyDebugVariable(Variable<160>("PANEDEBUG"));

  IOsArgument(-1, std::span<char>{});

  std::string text;
  const std::string given(Trimmed(configName));
  const bool read = (!given.empty() && ReadConfigFile(given, text)) ||
                    (!s.configFile.Blank() && ReadConfigFile(s.configFile.TrimmedString(), text));
  if (read) ApplyConfigText(text, s);

  FinishCharsetFolder(s);
  // The configuration's printer and plotter entries name drivers for drawn output; the
  // program draws nothing to print, so they are read and left unused.

  if (s.versionRequested) IErAbnormalExit(kVersionMessage, 0);
  // No start time is kept, as nothing reads one; the platform is asked for by
  // IOsExecute when it first needs it.
}

}  // namespace qh
