#include "tests/converter/fake_services.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "core/error_codes.h"
#include "core/numeric_text.h"

namespace qh {
namespace fake {
namespace {

// After the message script has run out the fake answers CloseRequest; a program
// that still asks this many times more is stuck, and the test fails instead of hanging.
constexpr int kCallsAfterScriptEnd = 50;

std::string Num(long long value) { return std::to_string(value); }

// One log line: Name(arg,arg,...).
template <typename... Args>
void Log(std::string_view name, const Args&... args) {
  std::string line(name);
  line += '(';
  bool first = true;
  ((line += (first ? "" : ","), line += args, first = false), ...);
  line += ')';
  State().log.push_back(std::move(line));
}

std::string T(std::string_view text) { return std::string(Trimmed(text)); }

// The shortest text that reads back as the same single-precision value.
std::string Real(float value) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}

// The field text of the loaded dialog, or null (code 1005 or 1006 recorded).
std::string* DialogField(int fieldId) {
  Services& s = State();
  if (s.loadedDialog == 0) {
    s.reportedCodes.push_back(kErrNoDialogs);
    return nullptr;
  }
  return &s.dialogFields[fieldId];
}

void PutNumber(int fieldId, double value, std::optional<std::string_view> format,
               std::string_view defaultFormat) {
  bool fitted = true;
  const std::string text = FieldNumberText(value, format, defaultFormat, fitted);
  if (!fitted) State().reportedCodes.push_back(kErrNumberToText);
  if (std::string* field = DialogField(fieldId)) *field = text;
}

int extraGetMessageCalls = 0;

}  // namespace

Services& State() {
  static Services services;
  return services;
}

void Reset() {
  State() = Services{};
  extraGetMessageCalls = 0;
}

void QueueCommand(int commandId, std::function<void()> before) {
  ScriptedMessage message;
  message.kind = kMenuSelect;
  message.info.window = 0;
  message.info.value1 = commandId;
  message.before = std::move(before);
  State().messages.push_back(std::move(message));
}

void QueueMessage(int kind, std::function<void()> before) {
  ScriptedMessage message;
  message.kind = kind;
  message.info.window = 0;
  if (kind == kResize) {
    message.info.value1 = 512;
    message.info.value2 = 228;
  }
  message.before = std::move(before);
  State().messages.push_back(std::move(message));
}

void QueueDialogAnswer(std::string name) {
  State().fileDialogs.push_back(DialogAnswer{true, std::move(name)});
}

void QueueDialogEdits(std::map<int, std::string> fieldTexts, int exitButton) {
  State().dialogEdits.push_back({std::move(fieldTexts), exitButton});
}

void QueueCancelledDialog() { State().fileDialogs.push_back(DialogAnswer{false, {}}); }

std::vector<std::string> CallsOf(std::initializer_list<std::string_view> names) {
  std::vector<std::string> calls;
  for (const std::string& line : State().log) {
    for (std::string_view name : names) {
      if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
          line[name.size()] == '(') {
        calls.push_back(line);
        break;
      }
    }
  }
  return calls;
}

}  // namespace fake

// ---- The services operations the converter calls -------------------------------

using fake::Log;
using fake::Num;
using fake::T;

void IWnStart(std::string_view configName) { Log("IWnStart", T(configName)); }

void IWnOpenRoot(const RootWindowSpec& rootSpec, std::optional<int> paletteSize) {
  if (paletteSize) {
    Log("IWnOpenRoot", Num(rootSpec.flags), Num(rootSpec.x), Num(rootSpec.y), Num(rootSpec.width),
        Num(rootSpec.height), Num(rootSpec.menuId), T(rootSpec.title.View()), Num(*paletteSize));
  } else {
    Log("IWnOpenRoot", Num(rootSpec.flags), Num(rootSpec.x), Num(rootSpec.y), Num(rootSpec.width),
        Num(rootSpec.height), Num(rootSpec.menuId), T(rootSpec.title.View()));
  }
}

void IWnStatusParts(int count, std::span<const int> widths, std::span<const int> styles) {
  std::string line = "IWnStatusParts(" + Num(count);
  for (int width : widths) line += "," + Num(width);
  if (!styles.empty()) line += ",styles";
  line += ')';
  fake::State().log.push_back(line);
}

void IWnStatusText(int part, std::string_view text) {
  // Raw text: the converter promises to pass it without trailing blanks.
  Log("IWnStatusText", Num(part), std::string(text));
  fake::State().statusParts[part] = std::string(text);
}

void IWnToolbar(int resourceId, std::optional<int> window, std::optional<int> position) {
  if (window || position) {
    Log("IWnToolbar", Num(resourceId), Num(window.value_or(-1)), Num(position.value_or(-1)));
  } else {
    Log("IWnToolbar", Num(resourceId));
  }
}

void IMnSetState(int itemId, int what, int value) {
  Log("IMnSetState", Num(itemId), Num(what), Num(value));
  if (what == kMenuChecked) fake::State().checkMarks[itemId] = value;
}

int IMnGetState(int itemId, int what) {
  Log("IMnGetState", Num(itemId), Num(what));
  if (fake::State().beforeGetState) fake::State().beforeGetState(itemId);
  if (what != kMenuChecked) return 1;
  const auto found = fake::State().checkMarks.find(itemId);
  return found == fake::State().checkMarks.end() ? 0 : found->second;
}

void IWnClear() { Log("IWnClear"); }

void IWnOutText(int x, int y, std::string_view text) {
  // Raw text: drawn lines must already be without trailing blanks.
  Log("IWnOutText", Num(x), Num(y), std::string(text));
}

// A question about drawing, not a drawing: not logged, so call tables stay about what
// was drawn. Each character is as wide as the script says (0: every text fits).
int IWnTextWidth(std::string_view text) {
  return static_cast<int>(text.size()) * fake::State().characterWidth;
}

void IWnStop() { Log("IWnStop"); }

void IWnGetMessage(int& kind, MessageInfo& info) {
  fake::Services& s = fake::State();
  if (s.messages.empty()) {
    if (++fake::extraGetMessageCalls > fake::kCallsAfterScriptEnd) {
      throw std::runtime_error("IWnGetMessage called again and again after CloseRequest");
    }
    kind = kCloseRequest;
    info = MessageInfo{};
    info.window = 0;
    Log("IWnGetMessage", Num(kind));
    return;
  }
  fake::ScriptedMessage message = std::move(s.messages.front());
  s.messages.pop_front();
  if (message.before) message.before();
  kind = message.kind;
  info = message.info;
  ++s.messagesDelivered;
  if (kind == kMenuSelect) {
    Log("IWnGetMessage", Num(kind), Num(info.value1));
  } else {
    Log("IWnGetMessage", Num(kind));
  }
}

void IWnMessageBox(int kind, int icon, int defaultButton, std::string_view message,
                   std::string_view title) {
  Log("IWnMessageBox", Num(kind), Num(icon), Num(defaultButton), T(message), T(title));
  fake::State().dialogExitState = 1;  // every box is answered with OK
}

void IDlSelectFile(std::string_view filter, int flags, std::span<char> name,
                   std::string_view title, int* index) {
  fake::Services& s = fake::State();
  const std::string current(name.data(), name.size());
  s.log.push_back("IDlSelectFile(" + T(filter) + "," + Num(flags) + "," + T(current) + "," +
                  T(title) + (index ? ",index)" : ")"));
  s.lastFileNameBuffer = name.size();

  fake::DialogAnswer answer;  // an empty script cancels
  if (!s.fileDialogs.empty()) {
    answer = std::move(s.fileDialogs.front());
    s.fileDialogs.pop_front();
  }
  if (answer.confirmed) {
    StoreText(name, answer.name);
    s.dialogExitState = 1;
  } else {
    s.dialogExitState = 0;  // the name stays as it was
  }
}

void IDlLoad(int dialogId) {
  Log("IDlLoad", Num(dialogId));
  fake::Services& s = fake::State();
  if (s.loadedDialog != dialogId) s.dialogFields.clear();
  s.loadedDialog = dialogId;
}

void IDlPutString(int fieldId, std::string_view text) {
  Log("IDlPutString", Num(fieldId), T(text));
  fake::State().lastPutStringLength = text.size();
  if (std::string* field = fake::DialogField(fieldId)) *field = T(text);
}

void IDlShow(int x, int y, std::optional<int> focusField, std::optional<int> mode) {
  std::string line = "IDlShow(" + Num(x) + "," + Num(y);
  if (focusField) line += "," + Num(*focusField);
  if (mode) line += "," + Num(*mode);
  fake::State().log.push_back(line + ")");
  fake::Services& s = fake::State();
  if (s.loadedDialog == 0) {
    s.reportedCodes.push_back(kErrNoDialogs);
    return;
  }
  s.shownFields.push_back(s.dialogFields);
  // Past its script the user gives up and closes the dialog, so no test loops on it.
  s.dialogExitButton = 2;
  if (!s.dialogEdits.empty()) {
    for (const auto& [id, text] : s.dialogEdits.front().fieldTexts) s.dialogFields[id] = text;
    s.dialogExitButton = s.dialogEdits.front().exitButton;
    s.dialogEdits.pop_front();
  }
}

void IDlCheckOnOk(bool check) { Log("IDlCheckOnOk", Num(check ? 1 : 0)); }

void IDlUnload(std::optional<int> unused) {
  if (unused) Log("IDlUnload", Num(*unused));
  else Log("IDlUnload");
  fake::Services& s = fake::State();
  if (s.loadedDialog == 0) s.reportedCodes.push_back(kErrNoDialogs);
  s.loadedDialog = 0;
  s.dialogFields.clear();
}

void IDlPutReal(int fieldId, float value, std::optional<std::string_view> format) {
  if (format) Log("IDlPutReal", Num(fieldId), fake::Real(value), T(*format));
  else Log("IDlPutReal", Num(fieldId), fake::Real(value));
  fake::PutNumber(fieldId, value, format, kRealFieldFormat);
}

void IDlPutDouble(int fieldId, double value, std::optional<std::string_view> format) {
  Log("IDlPutDouble", Num(fieldId), fake::Real(static_cast<float>(value)));
  fake::PutNumber(fieldId, value, format, kRealFieldFormat);
}

void IDlPutInteger(int fieldId, int value) {
  Log("IDlPutInteger", Num(fieldId), Num(value));
  fake::PutNumber(fieldId, value, kIntegerFieldFormat, kIntegerFieldFormat);
}

void IDlGetReal(int fieldId, float& value) {
  Log("IDlGetReal", Num(fieldId));
  const std::string* field = fake::DialogField(fieldId);
  if (!field) return;
  // Codes go through the services' own error routine too, where IErInfo finds them.
  const int earlier = IErInfo(1);
  if (IsBlank(*field)) {
    fake::State().reportedCodes.push_back(kErrFieldUndefined);
    IErReport(kErrFieldUndefined);
    value = -999.0f;
    return;
  }
  // The services' own conversion; it reports through the error routine.
  value = static_cast<float>(ReadNumber(*field, false));
  if (const int code = IErInfo(1)) {
    fake::State().reportedCodes.push_back(code);
    IErReport(code);
  } else if (earlier != 0) {
    IErReport(earlier);
  }
}

int IDlInfo(int item) {
  Log("IDlInfo", Num(item));
  if (item == 1) return fake::State().dialogExitButton;
  return item == 4 ? fake::State().dialogExitState : 0;
}

void IOsExecute(std::string_view command, std::optional<int> flags,
                std::optional<int> timeoutSeconds) {
  if (timeoutSeconds) {
    Log("IOsExecute", T(command), Num(flags.value_or(0)), Num(*timeoutSeconds));
  } else if (flags) {
    Log("IOsExecute", T(command), Num(*flags));
  } else {
    Log("IOsExecute", T(command));
  }
  fake::Services& s = fake::State();
  s.lastExitCode = -1;
  if (s.onExecute) s.onExecute(Trimmed(command));
  // The utility's only argument is the last quoted text: the ".asc" path.
  const std::string line = T(command);
  if (line.find("MakeOV2_v1-1.exe\"") == std::string::npos) return;
  const std::size_t close = line.rfind('"');
  const std::size_t open = line.rfind('"', close - 1);
  std::string asc = line.substr(open + 1, close - open - 1);
  if (s.utilityWritesOverlay && asc.size() > 4) {
    std::ofstream(asc.substr(0, asc.size() - 4) + ".ov2", std::ios::binary) << "overlay of " << asc;
  }
  s.lastExitCode = s.utilityExitCode;
}

int IOsExitCode() {
  Log("IOsExitCode");
  return fake::State().lastExitCode;
}

void IOsFileCopy(std::string_view source, std::string_view target) {
  Log("IOsFileCopy", T(source), T(target));
  fake::Services& s = fake::State();
  const std::string from = T(source);
  std::string to = T(target);
  if (from.empty()) return;
  if (to.empty() || to.back() == '\\' || to.back() == ':') {
    const std::size_t cut = from.find_last_of("\\:");
    to += cut == std::string::npos ? from : from.substr(cut + 1);
  }
  // Codes go through the services' own error routine too, where IErInfo finds them.
  if (from == to) {
    s.reportedCodes.push_back(kErrSameCopyNames);
    IErReport(kErrSameCopyNames);
    return;
  }
  std::error_code error;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
  if (error) {
    s.reportedCodes.push_back(kErrOsCommand);
    IErReport(kErrOsCommand);
  }
}

void IOsFileDelete(std::string_view name) {
  Log("IOsFileDelete", T(name));
  std::error_code error;
  if (!std::filesystem::remove(T(name), error) || error) {
    fake::State().reportedCodes.push_back(kErrOsCommand);
  }
}

int IOsArgument(int n, std::span<char> text) {
  Log("IOsArgument", Num(n));
  const fake::Services& s = fake::State();
  if (n == 0) StoreText(text, s.argument0);
  if (n >= 1 && static_cast<std::size_t>(n) <= s.arguments.size())
    StoreText(text, s.arguments[static_cast<std::size_t>(n - 1)]);
  return 0;
}

SystemVersion IOsSystemVersion() { return fake::State().systemVersion; }

void IOsVariable(std::string_view name, std::span<char> value) {
  const auto& variables = fake::State().variables;
  const auto found = variables.find(T(name));
  StoreText(value, found == variables.end() ? std::string() : found->second);
}

void IWnDroppedFile(std::span<char> name) {
  Log("IWnDroppedFile");
  StoreText(name, fake::State().droppedFile);
}

void IWnHelp(std::string_view helpFile, std::optional<int> context, std::optional<int> popup) {
  if (context || popup) {
    Log("IWnHelp", T(helpFile), Num(context.value_or(-1)), Num(popup.value_or(0)));
  } else {
    Log("IWnHelp", T(helpFile));
  }
}

}  // namespace qh
