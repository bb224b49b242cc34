// The error routine of the services: keeps the last code and reports it by mode.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/config_file.h"
#include "core/error_outputs.h"
#include "core/error_state.h"
#include "core/error_table.h"
#include "services/errors.h"
#include "services/text.h"

namespace qh {
namespace {

struct ErrorState {
  int mode = 0;
  int value1 = 0;  // last code given to IErReport
  int value2 = 0;  // graphics status
  int value3 = 0;  // last operating-system error number
  ErrorOutputs outputs;
  std::FILE* debugFile = nullptr;
  bool debugTried = false;
};

ErrorState& State() {
  static ErrorState state;
  return state;
}

// The debug file is created at the first mode-2 report, once per run, under the
// first name that can be created; binary so that CR LF is written exactly.
std::FILE* DebugFile() {
  ErrorState& s = State();
  if (!s.debugTried) {
    s.debugTried = true;
    for (const char* name : {"debug", "debug.txt", "debug.dat"}) {
      s.debugFile = std::fopen(name, "wb");
      if (s.debugFile != nullptr) break;
    }
  }
  return s.debugFile;
}

void WriteDebugLine(std::string_view line) {
  std::FILE* f = DebugFile();
  if (f == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), f);
  std::fwrite("\r\n", 1, 2, f);
  std::fflush(f);
}

void WriteStandardOutput(std::string_view line) {
  std::string record = " ";
  record += line;
  record += '\n';
  std::fwrite(record.data(), 1, record.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

void SetErrorOutputs(const ErrorOutputs& outputs) { State().outputs = outputs; }

void IErReport(int code) {
  ErrorState& s = State();
  s.value1 = code;
  if (s.mode <= 0) return;

  // Silent for the rest of the report: a failure inside it is recorded, never
  // reported again, so reports cannot nest.
  const int mode = s.mode;
  s.mode = 0;
  const std::string line = ErrorLine(code);
  switch (mode) {
    case 1:
      WriteStandardOutput(line);
      break;
    case 2:
      WriteDebugLine(line);
      break;
    case 3:
      if (s.outputs.statusLine != nullptr) s.outputs.statusLine(line);
      break;
    case 4:
      if (s.outputs.libraryBox != nullptr && s.outputs.libraryBox(line)) {
        IErAbnormalExit(" ", 0);
      }
      break;
    default:
      break;
  }
  s.mode = mode;
  s.value1 = code;
}

void IErMode(int mode) {
  if (mode >= 0 && mode <= 4) State().mode = mode;
}

void RestoreLastErrorCode(int code) { State().value1 = code; }

int IErInfo(int which) {
  ErrorState& s = State();
  int& value = which == kInfoLastError ? s.value1 : which == kInfoGraphicsStatus ? s.value2 : s.value3;
  const int result = value;
  value = 0;
  return result;
}

void IErAbnormalExit(std::string_view message, int code) {
  if (!IsBlank(message)) {
    const std::string text = AbnormalExitText(message, code);
    if (State().outputs.abnormalExitBox != nullptr) {
      State().outputs.abnormalExitBox(Settings().applicationName.Trim(), text);
    }
  }
  std::exit(code);
}

void SetLastSystemError(int number) { State().value3 = number; }
void SetGraphicsStatus(int status) { State().value2 = status; }
int ErrorMode() { return State().mode; }

void ClearErrorState() {
  ErrorState& s = State();
  s.mode = 0;
  s.value1 = s.value2 = s.value3 = 0;
}

void ResetErrorStateForTests() {
  ErrorState& s = State();
  ClearErrorState();
  if (s.debugFile != nullptr) std::fclose(s.debugFile);
  s.debugFile = nullptr;
  s.debugTried = false;
  s.outputs = ErrorOutputs{};
}

}  // namespace qh
