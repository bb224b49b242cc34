#include "formats/settings_file.h"

#include "files/complete_file.h"
#include "files/file_system.h"

namespace qh {
namespace {

// A settings file is a few lines; anything larger is not one.
constexpr std::size_t kSettingsLimit = std::size_t{64} * 1024;

std::string_view Stripped(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] + 32) : a[i];
    const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

void TakeLine(std::string_view line, RememberedSettings& settings) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = Stripped(line.substr(0, equals));
  const std::string_view value = Stripped(line.substr(equals + 1));
  if (SameLetters(key, "OpenFolder")) {
    // A folder ends in its separator; a value without one is no folder of ours.
    if (!value.empty() && (value.back() == '\\' || value.back() == '/')) {
      settings.openFolder = std::string(value);
    }
  } else if (SameLetters(key, "Notes")) {
    if (SameLetters(value, "Append")) settings.appendNotes = true;
    if (SameLetters(value, "Ignore")) settings.appendNotes = false;
  }
}

}  // namespace

RememberedSettings ParseSettings(std::string_view text) {
  RememberedSettings settings;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    TakeLine(text.substr(0, end), settings);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  }
  return settings;
}

std::string SettingsText(const RememberedSettings& settings) {
  std::string text = "[Quillhaven]\r\n";
  if (!settings.openFolder.empty()) text += "OpenFolder=" + settings.openFolder + "\r\n";
  text += settings.appendNotes ? "Notes=Append\r\n" : "Notes=Ignore\r\n";
  return text;
}

RememberedSettings ReadSettingsFile(std::string_view path) {
  std::string bytes;
  IoError error;
  if (!ReadWholeFile(path, kSettingsLimit, bytes, error)) return {};
  return ParseSettings(bytes);
}

bool WriteSettingsFile(std::string_view path, const RememberedSettings& settings) {
  const std::string_view folder = FolderPart(path);
  if (folder.size() > 1 && !MakeFolder(std::string(folder.substr(0, folder.size() - 1)))) return false;
  CompleteFile file;
  return file.Open(path) && file.Write(SettingsText(settings)) && file.Commit();
}

}  // namespace qh
