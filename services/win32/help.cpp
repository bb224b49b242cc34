// IWnHelp: help-engine files (".hlp") go to the system help engine; web pages and
// web addresses go to the program the system opens ".htm" files with.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "boxes.h"
#include "os_services.h"
#include "services/errors.h"
#include "services/os.h"
#include "services/text.h"
#include "core/error_codes.h"
#include "layer_state.h"
#include "numeric/ascii.h"

namespace qh {
namespace os {
namespace {

constexpr std::size_t kHelpNameLength = 513;

BOOL CallHelpEngine(HWND owner, const char* file, UINT command, ULONG_PTR data) {
  const HelpEngineFn engine = win::Os().helpEngine;
  return engine ? engine(owner, file, command, data) : WinHelpA(owner, file, command, data);
}

UINT Launch(const char* commandLine, UINT show) {
  const LaunchFn launcher = win::Os().launcher;
  return launcher ? launcher(commandLine, show) : WinExec(commandLine, show);
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string ProgramFolder() {
  std::array<char, 256> path;
  path.fill(' ');
  IOsArgument(0, path);
  const std::string_view full = Trimmed(std::string_view(path.data(), path.size()));
  const std::size_t cut = full.find_last_of('\\');
  return cut == std::string_view::npos ? std::string() : std::string(full.substr(0, cut + 1));
}

std::string Variable(const char* name) {
  char value[MAX_PATH + 1] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  return (n > 0 && n < sizeof(value)) ? std::string(value, n) : std::string();
}

// Hands `target` to the program that opens `probeFile` (a page, or our temporary
// page for a web address). Codes: 1 missing file, 1030 no browser or no start.
void StartBrowser(const std::string& probeFile, const std::string& target) {
  char browser[MAX_PATH + 1] = {};
  const auto found = reinterpret_cast<INT_PTR>(FindExecutableA(probeFile.c_str(), nullptr, browser));
  if (found <= 32) {
    IErReport(found == SE_ERR_FNF ? kErrOpeningFile : kErrHelpViewer);
    return;
  }
  const std::string commandLine = "\"" + std::string(browser) + "\" \"" + target + "\"";
  if (Launch(commandLine.c_str(), SW_SHOWNORMAL) < 32) IErReport(kErrHelpViewer);
}

void ShowWebAddress(const std::string& address) {
  const std::string program = ProgramFolder();
  const std::string candidates[] = {
      Variable("TMP"), Variable("TEMP"), program,
      program.size() >= 2 && program[1] == ':' ? program.substr(0, 3) : std::string(),
      "C:\\"};
  for (const std::string& candidate : candidates) {
    if (!os::IsFolder(candidate)) continue;
    const std::string probe = WithBackslash(candidate) + "$$tmp$$.htm";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    static constexpr char kLine[] = "Temporary Paneward file. Please delete.\r\n";
    DWORD written = 0;
    const BOOL ok = WriteFile(file, kLine, sizeof(kLine) - 1, &written, nullptr);
    CloseHandle(file);
    if (!ok) {
      DeleteFileA(probe.c_str());
      continue;
    }
    StartBrowser(probe, address);
    DeleteFileA(probe.c_str());
    return;
  }
  IErReport(kErrHelpViewer);
}

HWND RootOwner() { return win::RootFrameWindow(); }

}  // namespace

HelpKind DecideHelpKind(std::string_view name) {
  const std::string_view significant = Trimmed(name);
  if (significant.empty()) return HelpKind::kClose;
  std::string upper(significant);
  UpperAscii(upper);
  if (EndsWith(upper, ".HLP")) return HelpKind::kEngineFile;
  if (upper.find("HTTP://") != std::string::npos) return HelpKind::kWebAddress;
  if (EndsWith(upper, ".HTM") || EndsWith(upper, ".HTML")) return HelpKind::kWebPage;
  return HelpKind::kInvalid;
}

std::string HelpFullName(std::string_view name, std::string_view programFolder) {
  const std::string_view significant = Trimmed(name);
  const bool hasFolder = significant.find('\\') != std::string_view::npos ||
                         (significant.size() >= 2 && significant[1] == ':');
  if (hasFolder) return std::string(significant);
  return std::string(programFolder) + std::string(significant);
}

std::string ContentsFileName(std::string_view fullName) {
  const std::string_view significant = Trimmed(fullName);
  const std::size_t keep = significant.size() >= 4 ? significant.size() - 4 : 0;
  return std::string(significant.substr(0, keep)) + ".CNT";
}

HelpRequest ChooseHelpRequest(HelpKind kind, int context, int popup, bool contentsExists) {
  if (kind == HelpKind::kClose) return {HELP_QUIT, 0};
  if (context != -1) {
    return {popup == 1 ? static_cast<UINT>(HELP_CONTEXTPOPUP) : static_cast<UINT>(HELP_CONTEXT),
            static_cast<ULONG_PTR>(static_cast<DWORD>(context))};
  }
  return {contentsExists ? static_cast<UINT>(HELP_FINDER) : static_cast<UINT>(HELP_INDEX), 0};
}

void SetHelpEngine(HelpEngineFn fn) { win::Os().helpEngine = fn; }
void SetLauncher(LaunchFn fn) { win::Os().launcher = fn; }

}  // namespace os

void IWnHelp(std::string_view helpFile, std::optional<int> context, std::optional<int> popup) {
  using namespace os;
  // The name as the caller gave it, cut to the working length (with room for the NUL).
  const std::string_view name = helpFile.substr(0, std::min(helpFile.size(), kHelpNameLength - 1));
  const std::string significant(name.substr(0, OsSignificantLength(name)));
  const HelpKind kind = DecideHelpKind(significant);

  if (kind == HelpKind::kInvalid) {
    IErReport(kErrHelpExtension);
    return;
  }
  if (kind == HelpKind::kClose) {
    if (!CallHelpEngine(RootOwner(), "", HELP_QUIT, 0)) IErReport(kErrHelpViewer);
    return;
  }
  if (kind == HelpKind::kWebAddress) {
    // An address is no file name: putting the program's folder before it would
    // only spoil it.
    ShowWebAddress(significant);
    return;
  }

  const std::string fullName = HelpFullName(significant, ProgramFolder());
  if (!os::IsFile(fullName)) {
    IErReport(kErrOpeningFile);
    return;
  }
  if (kind == HelpKind::kWebPage) {
    StartBrowser(fullName, fullName);
    return;
  }
  const HelpRequest request = ChooseHelpRequest(kind, context.value_or(-1), popup.value_or(0),
                                                os::IsFile(ContentsFileName(fullName)));
  if (!CallHelpEngine(RootOwner(), fullName.c_str(), request.command, request.data)) {
    IErReport(kErrHelpViewer);
  }
}

}  // namespace qh
