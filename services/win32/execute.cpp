// IOsExecute: runs an external program, optionally hidden and optionally waiting
// for its end. While waiting without a time-out the windows keep repainting, and
// every other message is dropped so that no command can slip in.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "os_services.h"
#include "services/errors.h"
#include "services/os.h"
#include "core/error_codes.h"
#include "layer_state.h"

namespace qh {
namespace {

constexpr std::size_t kCommandLength = kCommandLimit + 1;  // with its NUL
constexpr int kTimedOut = -1;
constexpr int kStarted = 32;

int PlatformId() {
  int& platform = win::Os().platform;
  if (platform < 0) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    platform = GetVersionExA(&info) ? static_cast<int>(info.dwPlatformId) : 0;
  }
  return platform;
}

struct Outcome {
  int status = kStarted;
  bool failed = false;  // the system refused: status then holds its error number
};

Outcome Failure(DWORD number) { return {static_cast<int>(number), true}; }

// Waits in slices of 100 ms, dispatching paint messages only.
Outcome WaitPumpingPaint(HANDLE process) {
  for (;;) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_PAINT) DispatchMessageA(&msg);
      // A window that never validates would keep us here for ever: look at the
      // process between messages as well.
      if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return {};
      continue;
    }
    const DWORD r = WaitForSingleObject(process, 100);
    if (r == WAIT_TIMEOUT) continue;
    if (r == WAIT_FAILED) return Failure(GetLastError());
    return {};
  }
}

Outcome WaitLimited(HANDLE process, int seconds) {
  // Cap below INFINITE so that a huge time-out still means a time-out.
  const std::uint64_t ms = std::min<std::uint64_t>(static_cast<std::uint64_t>(seconds) * 1000u,
                                                   INFINITE - 1);
  const DWORD r = WaitForSingleObject(process, static_cast<DWORD>(ms));
  if (r == WAIT_TIMEOUT) return {kTimedOut, false};
  if (r == WAIT_FAILED) return Failure(GetLastError());
  return {};
}

Outcome RunAndWait(std::string& commandLine, WORD show, int timeout) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &process)) {
    return Failure(GetLastError());
  }
  const Outcome outcome =
      timeout < 0 ? WaitPumpingPaint(process.hProcess) : WaitLimited(process.hProcess, timeout);
  // The wait saw the process end, so its status is its status, even 259 (STILL_ACTIVE).
  DWORD exitCode = 0;
  if (outcome.status == kStarted && !outcome.failed &&
      GetExitCodeProcess(process.hProcess, &exitCode)) {
    win::Os().lastExitCode = static_cast<int>(exitCode);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return outcome;
}

}  // namespace

void IOsExecute(std::string_view command, std::optional<int> flags,
                std::optional<int> timeoutSeconds) {
  const int flagBits = flags.value_or(0);
  const int timeout = timeoutSeconds.value_or(-1);
  // A status belongs to the run that produced it: none until this one has ended.
  win::Os().lastExitCode = -1;
  if (os::OsSignificantLength(command) == 0) return;

  std::optional<std::string> text = os::OsText(command, kCommandLength);
  if (!text) {
    // Running a cut command line would start something other than what was asked.
    os::KeepSystemError(ERROR_FILENAME_EXCED_RANGE);
    IErReport(kErrOsCommand);
    return;
  }

  const int platform = PlatformId();
  const WORD show = (flagBits & kExecHidden) ? SW_HIDE : SW_SHOWNORMAL;

  Outcome outcome;
  if (platform != 0 && (flagBits & kExecWait)) {
    outcome = RunAndWait(*text, show, timeout);
  } else {
    // WinExec answers like the old loader: above 31 means started.
    const UINT r = WinExec(text->c_str(), show);
    outcome.status = static_cast<int>(r);
    outcome.failed = r < 32;
  }

  if (outcome.status == kTimedOut && !outcome.failed) {
    IErReport(kErrTimedOut);
  } else if (outcome.failed || outcome.status < kStarted) {
    // A system error number of 32 or more still means failure.
    os::KeepSystemError(outcome.status);
    IErReport(kErrOsCommand);
  }
}

int IOsExitCode() { return win::Os().lastExitCode; }

}  // namespace qh
