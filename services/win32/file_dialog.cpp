// IDlSelectFile: the system's open and save dialogs.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "boxes.h"
#include "layer_state.h"
#include "services/dialogs.h"
#include "services/errors.h"
#include "services/text.h"
#include "core/error_codes.h"

namespace qh {
namespace {

constexpr std::size_t kFilterLength = 255;
constexpr std::size_t kNameLength = 256;
constexpr DWORD kFolderLength = 256;

// "Pushpin files (*.psp)|*.psp|" -> pairs separated and ended by NULs, ending in a
// double NUL. The filter's last character is its separator. Empty for a blank filter.
std::string FilterList(std::string_view filter) {
  std::string list(Trimmed(filter.substr(0, std::min(filter.size(), kFilterLength))));
  if (list.empty()) return list;
  const char separator = list.back();
  std::replace(list.begin(), list.end(), separator, '\0');
  list.push_back('\0');
  return list;
}

struct InitialName {
  std::string folder;
  std::string file;
};

InitialName SplitInitialName(std::string_view name) {
  std::string_view text = name.substr(0, std::min(name.size(), kNameLength));
  const std::size_t first = text.find_first_not_of(' ');
  text = first == std::string_view::npos ? std::string_view{} : text.substr(first);
  text = Trimmed(text);
  if (text.size() >= 2 && text.substr(text.size() - 2) == "..") return {std::string(text), {}};
  const std::size_t cut = text.find_last_of("\\:");
  if (cut == std::string_view::npos) return {{}, std::string(text)};
  return {std::string(text.substr(0, cut + 1)), std::string(text.substr(cut + 1))};
}

std::string DialogTitle(std::string_view title) {
  std::size_t n = title.size();
  while (n > 0 && (title[n - 1] == ' ' || title[n - 1] == '\0')) --n;
  return n == 0 ? std::string("Select File") : std::string(title.substr(0, n));
}

std::string CurrentFolder() {
  char buffer[kFolderLength + 1] = {};
  const DWORD n = GetCurrentDirectoryA(kFolderLength, buffer);
  return (n > 0 && n < kFolderLength) ? std::string(buffer, n) : std::string();
}

bool MajorVersion3() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  return GetVersionExA(&info) && info.dwMajorVersion == 3;
}

DWORD SystemFlags(int flags) {
  const bool save = flags & kFileSave;
  DWORD system = OFN_HIDEREADONLY;
  if (!(flags & kFileNoPathCheck)) system |= OFN_PATHMUSTEXIST;
  if (flags & kFilePrompt) system |= save ? OFN_OVERWRITEPROMPT : OFN_CREATEPROMPT;
  if (!save && (flags & kFileMultiSelect)) system |= OFN_ALLOWMULTISELECT | OFN_EXPLORER;
  return system;
}

// The chosen name(s): up to the first NUL, or for several files up to the first
// double NUL (folder, then the names, NUL-separated).
std::string_view Result(const std::vector<char>& buffer, std::size_t limit, bool multiple) {
  const char* data = buffer.data();
  std::size_t n = 0;
  while (n < limit && data[n] != '\0') ++n;
  if (multiple) {
    while (n + 1 < limit && data[n] == '\0' && data[n + 1] != '\0') {
      ++n;
      while (n < limit && data[n] != '\0') ++n;
    }
  }
  return {data, n};
}

}  // namespace

void IDlSelectFile(std::string_view filter, int flags, std::span<char> name,
                   std::string_view title, int* index) {
  const std::string filterList = FilterList(filter);
  win::TakeSnapshots();

  const InitialName initial = SplitInitialName(std::string_view(name.data(), name.size()));
  const std::string notedFolder = CurrentFolder();
  const std::string initialFolder = initial.folder.empty() ? notedFolder : initial.folder;
  const std::string caption = DialogTitle(title);
  const bool save = flags & kFileSave;
  const bool multiple = !save && (flags & kFileMultiSelect);

  // The system writes into a buffer of its own: on failure it may leave the needed
  // size there, and the caller's name must stay unchanged.
  const std::size_t length = name.size();
  std::vector<char> buffer(length + 2, '\0');
  std::copy_n(initial.file.begin(), std::min(initial.file.size(), length), buffer.begin());

  int confirmed = 0;
  DWORD failure = 0;
  int chosenIndex = index ? *index : 1;
  {
    win::ModalLock lock;
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = lock.Owner();
    ofn.hInstance = GetModuleHandleA(nullptr);
    ofn.lpstrFilter = filterList.empty() ? nullptr : filterList.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(chosenIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(length);
    ofn.lpstrInitialDir = initialFolder.c_str();
    ofn.lpstrTitle = caption.c_str();
    ofn.Flags = SystemFlags(flags);
    if ((flags & kFileAddExtension) && !MajorVersion3()) ofn.lpstrDefExt = "";
    const BOOL ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (ok) {
      confirmed = 1;
      chosenIndex = static_cast<int>(ofn.nFilterIndex);
    } else {
      failure = CommDlgExtendedError();
    }
  }

  if (confirmed) {
    if (index) *index = chosenIndex;
    const std::string_view result = Result(buffer, length, multiple);
    if (!result.empty()) StoreText(name, result);
  }
  if (!(flags & kFileKeepFolder) && !notedFolder.empty()) SetCurrentDirectoryA(notedFolder.c_str());
  win::ReleaseSnapshots();

  win::DialogItems& items = win::Dialogs().items;
  items[kInfoExitState] = confirmed;
  items[kInfoExitFocus] = 0;
  if (!confirmed && failure > 0) IErReport(kErrCommonDialog);
}

}  // namespace qh
