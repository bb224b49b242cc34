// The folder of the last Open and the notes choice, remembered between runs in
// %APPDATA%\Quillhaven\quillhaven.ini. Nothing here is ever reported: without the file
// (or the folder) the program starts with its defaults, as it always did.
#include "converter/remembered_settings.h"

#include <string>

#include "converter/command_ids.h"
#include "converter/notes_option.h"
#include "formats/settings_file.h"
#include "services/services.h"

namespace qh {
namespace {

// Empty when the system names no application-data folder.
std::string SettingsPath() {
  FixedText<256> appData;
  IOsVariable("APPDATA", appData.Span());
  if (appData.Blank()) return {};
  return std::string(appData.Trim()) + "\\Quillhaven\\quillhaven.ini";
}

}  // namespace

void LoadSettings(ProgramState& state) {
  const std::string path = SettingsPath();
  if (path.empty()) return;
  const RememberedSettings settings = ReadSettingsFile(path);
  if (settings.appendNotes) SelectAppendNotes();
  state.openFolder = settings.openFolder;
  // The Open dialog starts in the remembered folder.
  if (!state.openFolder.Blank()) state.dialogFileName = state.openFolder.Trim();
}

void SaveSettings(const ProgramState& state) {
  const std::string path = SettingsPath();
  if (path.empty()) return;
  RememberedSettings settings;
  settings.openFolder = std::string(state.openFolder.Trim());
  settings.appendNotes = IMnGetState(IDC_APPEND_NOTES, kMenuChecked) == 1;
  WriteSettingsFile(path, settings);
}

}  // namespace qh
