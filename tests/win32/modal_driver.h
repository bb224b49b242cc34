// Test support for modal system boxes and for scenarios that need a process of
// their own. A WH_CBT hook notices every dialog-class window that is activated; a
// timer on that window then records what it shows and runs the next scripted
// action (press a button, type a name), so no test waits on a person or a sleep.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_folder.h"

namespace qh::test {

struct SeenBox {
  HWND hwnd = nullptr;
  std::string caption;
  std::string text;          // the message text (static 0xFFFF) of a message box
  std::vector<int> buttons;  // visible push buttons, in dialog order
  int defaultButton = 0;     // id of the default push button, 0 if none
  HICON icon = nullptr;      // the icon shown, if any
};

inline std::string WindowText(HWND h) {
  char buffer[1024] = {};
  GetWindowTextA(h, buffer, sizeof(buffer));
  return buffer;
}

inline std::string WindowClassName(HWND h) {
  char buffer[64] = {};
  GetClassNameA(h, buffer, sizeof(buffer));
  return buffer;
}

inline SeenBox Inspect(HWND box) {
  SeenBox seen;
  seen.hwnd = box;
  seen.caption = WindowText(box);
  if (HWND text = GetDlgItem(box, 0xFFFF)) seen.text = WindowText(text);
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    const std::string cls = WindowClassName(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (_stricmp(cls.c_str(), "Button") == 0) {
      const LONG type = style & 0x0F;
      if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        seen.buttons.push_back(GetDlgCtrlID(child));
        if (type == BS_DEFPUSHBUTTON) seen.defaultButton = GetDlgCtrlID(child);
      }
    } else if (_stricmp(cls.c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
      seen.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    }
  }
  // The button drawn as default; failing that, the one the dialog names.
  if (seen.defaultButton == 0) {
    const LRESULT def = SendMessageA(box, DM_GETDEFID, 0, 0);
    if (HIWORD(def) == DC_HASDEFID) seen.defaultButton = LOWORD(def);
  }
  return seen;
}

inline std::string Ids(const std::vector<int>& ids) {
  std::string s;
  for (int id : ids) s += std::to_string(id) + " ";
  return s;
}

// Presses a push button of a dialog box the way the button itself would.
inline void PressButton(HWND box, int id) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

// The name field of the system file dialogs (a combo box on Windows, an edit on Wine).
// Control ids of the file dialogs (dlgs.h, which the lean Windows headers leave out).
constexpr int kFileTypeCombo = 0x0470;  // cmb1
constexpr int kFileNameCombo = 0x047c;  // cmb13
constexpr int kFileNameEdit = 0x0480;   // edt1
inline HWND FileNameField(HWND dialog) {
  if (HWND h = GetDlgItem(dialog, kFileNameCombo)) return h;
  return GetDlgItem(dialog, kFileNameEdit);
}

class ModalDriver {
 public:
  using Action = std::function<void(HWND box, const SeenBox& seen)>;

  explicit ModalDriver(std::vector<Action> script) : script_(std::move(script)) {
    current_ = this;
    hook_ = SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId());
  }
  ~ModalDriver() {
    if (hook_) UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  const std::vector<SeenBox>& Seen() const { return seen_; }
  std::size_t Unused() const { return script_.size() - next_; }
  bool Hooked() const { return hook_ != nullptr; }

  static Action Press(int id) {
    return [id](HWND box, const SeenBox&) { PressButton(box, id); };
  }
  // Types a name into a file dialog's name field and presses OK.
  static Action TypeAndOk(std::string name) {
    return [name](HWND box, const SeenBox&) {
      SetWindowTextA(FileNameField(box), name.c_str());
      PressButton(box, IDOK);
    };
  }

 private:
  static constexpr UINT_PTR kTimer = 0x5D2;
  static constexpr int kMostWaits = 100;  // of 30 ms

  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && current_) {
      HWND h = reinterpret_cast<HWND>(wParam);
      if (WindowClassName(h) == "#32770" && current_->handled_.insert(h).second) {
        SetTimer(h, kTimer, 30, &TimerProc);
      }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static void CALLBACK TimerProc(HWND h, UINT, UINT_PTR id, DWORD) {
    KillTimer(h, id);
    ModalDriver* self = current_;
    if (!self) return;
    // A modal box is shown once its loop first finds no message; on a busy machine the
    // timer can come before that. It is looked at shown, or after 3 s in any case.
    if (!IsWindowVisible(h) && ++self->waits_[h] < kMostWaits) {
      SetTimer(h, kTimer, 30, &TimerProc);
      return;
    }
    const SeenBox seen = Inspect(h);
    self->seen_.push_back(seen);
    if (self->next_ < self->script_.size()) {
      Action action = self->script_[self->next_++];
      action(h, seen);
    } else {
      // Nothing scripted for this box: close it so the test cannot hang.
      PressButton(h, IDCANCEL);
    }
  }

  static inline ModalDriver* current_ = nullptr;
  HHOOK hook_ = nullptr;
  std::vector<Action> script_;
  std::size_t next_ = 0;
  std::vector<SeenBox> seen_;
  std::set<HWND> handled_;
  std::map<HWND, int> waits_;
};

// ---------------------------------------------------------------- child processes

inline std::string ThisProgram() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

inline std::string ProgramFolderOfTest() {
  const std::string p = ThisProgram();
  return p.substr(0, p.find_last_of('\\') + 1);
}

struct ChildResult {
  bool started = false;
  bool finished = false;
  DWORD exitCode = 0xFFFFFFFF;
};

// Runs a command line with the given environment changes (an empty value unsets
// the variable) in `folder`, and waits for its end.
inline ChildResult RunChild(std::string commandLine,
                            const std::vector<std::pair<std::string, std::string>>& env,
                            const std::string& folder, DWORD timeoutMs = 60000) {
  std::vector<std::pair<std::string, std::string>> saved;
  for (const auto& [name, value] : env) {
    char old[2048] = {};
    const DWORD n = GetEnvironmentVariableA(name.c_str(), old, sizeof(old));
    saved.emplace_back(name, n > 0 && n < sizeof(old) ? std::string(old, n) : std::string());
    SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
  }
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  ChildResult result;
  result.started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                  nullptr, folder.empty() ? nullptr : folder.c_str(), &si, &pi);
  for (const auto& [name, value] : saved) {
    SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
  }
  if (!result.started) return result;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    result.finished = true;
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
  } else {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}

// Runs one disabled test of this program in a process of its own.
inline ChildResult RunSelf(const std::string& test,
                           const std::vector<std::pair<std::string, std::string>>& env,
                           const std::string& folder, const std::string& extraArguments = "") {
  std::string line = "\"" + ThisProgram() + "\" --gtest_also_run_disabled_tests --gtest_filter=" +
                     test + extraArguments;
  return RunChild(line, env, folder);
}

// ---------------------------------------------------------------- files and folders

inline bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Polls for a file with a time limit (for what a separate process writes).
inline bool WaitForFile(const std::string& path, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    if (FileExists(path)) return true;
    Sleep(20);
  }
  return FileExists(path);
}

inline std::string CurrentFolderNow() {
  char buffer[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, buffer);
  return buffer;
}

inline std::string Variable(const char* name) {
  char buffer[2048] = {};
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  return n > 0 && n < sizeof(buffer) ? std::string(buffer, n) : std::string();
}

// key=value lines written by a child, read by the parent.
inline void AppendResult(const std::string& key, const std::string& value) {
  const std::string path = Variable("QH_CHILD_OUT");
  if (path.empty()) return;
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << key << '=' << value << '\n';
}

inline std::string ResultOf(const std::string& results, const std::string& key) {
  std::istringstream in(results);
  std::string line;
  std::string found = "<missing>";
  while (std::getline(in, line)) {
    if (line.compare(0, key.size() + 1, key + "=") == 0) found = line.substr(key.size() + 1);
  }
  return found;
}

}  // namespace qh::test
