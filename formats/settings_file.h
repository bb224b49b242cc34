// The choices the program remembers between runs, kept in "quillhaven.ini" in the
// user's application-data folder (never in the registry): the folder of the last Open
// and the notes choice. Lines "Key=Value" under a "[Quillhaven]" header.
#pragma once

#include <string>
#include <string_view>

namespace qh {

struct RememberedSettings {
  std::string openFolder;  // the folder of the last Open, with its separator; empty: none
  bool appendNotes = false;
  bool operator==(const RememberedSettings&) const = default;
};

// Reads what `text` holds: the keys OpenFolder and Notes (Append or Ignore), in any case,
// with blanks around keys and values; lines end with LF or CR LF. Section headers,
// unknown keys, other lines and values out of range are passed over, so anything
// unreadable leaves the defaults.
RememberedSettings ParseSettings(std::string_view text);

// "[Quillhaven]", then OpenFolder (when there is one) and Notes, each line ended by CR LF.
std::string SettingsText(const RememberedSettings& settings);

// The file's settings; the defaults when it is missing, unreadable or too large.
RememberedSettings ReadSettingsFile(std::string_view path);

// Makes the file's folder when it is missing (one level) and replaces the file whole;
// false when that cannot be done.
bool WriteSettingsFile(std::string_view path, const RememberedSettings& settings);

}  // namespace qh
