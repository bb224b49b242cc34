// The operating-system services under Wine: IOsExecute, IOsFileCopy, IOsFileDelete,
// IOsArgument and IWnHelp. This program is also its own external program: started
// with --qh-sleep=MS [--qh-touch=FILE] it sleeps, writes the file and ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "modal_driver.h"
#include "os_services.h"
#include "services/errors.h"
#include "services/os.h"

namespace {

using namespace qh::test;

// Runs before main: the sleeper mode of this program.
const bool kSleeperMode = [] {
  const std::string line = GetCommandLineA();
  const std::size_t sleep = line.find("--qh-sleep=");
  if (sleep == std::string::npos) return false;
  Sleep(static_cast<DWORD>(std::atoi(line.c_str() + sleep + 11)));
  const std::size_t touch = line.find("--qh-touch=");
  if (touch != std::string::npos) {
    std::string path = line.substr(touch + 11);
    path = path.substr(0, path.find(' '));
    WriteFile(path, "done");
  }
  const std::size_t status = line.find("--qh-exit=");
  ExitProcess(status == std::string::npos ? 0 : static_cast<UINT>(std::atoi(line.c_str() + status + 10)));
  return true;
}();

// A copy of this program in the temporary folder: its path stays short however deep
// the checkout lies, so the commands below stay within the command-line limit.
const std::string& SleeperProgram() {
  static const TempFolder folder;
  static const std::string path = [] {
    const std::string copy = folder.File("sleeper.exe");
    CopyFileA(ThisProgram().c_str(), copy.c_str(), FALSE);
    return copy;
  }();
  return path;
}

std::string Sleeper(int ms, const std::string& touch) {
  return "\"" + SleeperProgram() + "\" --qh-sleep=" + std::to_string(ms) +
         (touch.empty() ? "" : " --qh-touch=" + touch);
}

// Error values are read (and so cleared) once per check.
struct Errors {
  int value1;
  int value3;
};
Errors TakeErrors() {
  Errors e{qh::IErInfo(1), 0};
  e.value3 = qh::IErInfo(3);
  return e;
}

class OsServices : public ::testing::Test {
 protected:
  void SetUp() override {
    qh::IErMode(0);
    TakeErrors();
    folder_ = temporary_.WithSeparator();
  }
  TempFolder temporary_;
  std::string folder_;
};

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// ---------------------------------------------------------------- IOsExecute

int g_paints = 0;
int g_userMessages = 0;
LRESULT CALLBACK CountingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_PAINT) {
    ++g_paints;
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    EndPaint(h, &ps);
    return 0;
  }
  if (msg == WM_USER + 5) ++g_userMessages;
  return DefWindowProcA(h, msg, w, l);
}

TEST_F(OsServices, ExecuteWaitsRepaintsAndDropsOtherMessages) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QhD2Counting";
  RegisterClassA(&wc);
  HWND w = CreateWindowA("QhD2Counting", "t", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                         nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(w, nullptr);
  // Settle the first paint before the run.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  g_paints = 0;
  g_userMessages = 0;
  InvalidateRect(w, nullptr, TRUE);
  PostMessageA(w, WM_USER + 5, 0, 0);  // stands for a click or a menu command

  const std::string done = folder_ + "done.txt";
  const auto start = std::chrono::steady_clock::now();
  qh::IOsExecute(Sleeper(1500, done) + "      ", 3);
  const long long elapsed = MillisecondsSince(start);

  const Errors e = TakeErrors();
  EXPECT_TRUE(FileExists(done)) << "the program had not finished when IOsExecute returned";
  EXPECT_GE(elapsed, 1400) << "returned after " << elapsed << " ms";
  EXPECT_EQ(e.value1, 0) << "error code";
  EXPECT_GE(g_paints, 1) << "paints dispatched during the wait";
  EXPECT_EQ(g_userMessages, 0) << "other messages must not be dispatched";
  EXPECT_FALSE(PeekMessageA(&msg, w, WM_USER + 5, WM_USER + 5, PM_REMOVE))
      << "other messages must be dropped, not left for later";
  DestroyWindow(w);
}

TEST_F(OsServices, ExecuteTimeOutReports1034AndLeavesTheProgramRunning) {
  const std::string done = folder_ + "late.txt";
  const auto start = std::chrono::steady_clock::now();
  qh::IOsExecute(Sleeper(3000, done), 2, 1);
  const long long elapsed = MillisecondsSince(start);
  const Errors e = TakeErrors();
  EXPECT_EQ(e.value1, 1034);
  EXPECT_GE(elapsed, 900) << "returned after " << elapsed << " ms";
  EXPECT_LT(elapsed, 2800) << "returned after " << elapsed << " ms";
  EXPECT_FALSE(FileExists(done)) << "the program cannot have finished yet";
  EXPECT_TRUE(WaitForFile(done, 15000)) << "the program should have run on to its end";
}

TEST_F(OsServices, ExecuteFailuresAndNoOps) {
  struct Case {
    const char* name;
    std::string command;
    int flags;
    int value1;  // expected error code (77: the sentinel stays)
    int value3;  // expected error value 3 (-1: not checked)
  };
  const std::string tooLong = Sleeper(1, folder_ + "long.txt") + " --qh-pad=" + std::string(260, 'x');
  const std::vector<Case> cases = {
      {"missing program, waiting", "qh_no_such_program_d2.exe /x", 3, 13, ERROR_FILE_NOT_FOUND},
      {"missing program, launcher", "qh_no_such_program_d2.exe", 0, 13, ERROR_FILE_NOT_FOUND},
      {"blank command", std::string(40, ' '), 3, 77, -1},
      {"empty command", "", 3, 77, -1},
      {"over-long command", tooLong, 3, 13, -1},
  };
  for (const Case& c : cases) {
    qh::IErReport(77);  // sentinel
    qh::SetLastSystemError(0);
    qh::IOsExecute(c.command, c.flags);
    const Errors e = TakeErrors();
    EXPECT_EQ(e.value1, c.value1) << c.name;
    if (c.value3 >= 0) {
      EXPECT_EQ(e.value3, c.value3) << c.name;
    }
  }
  // Had the cut command run, the wait flag would have let it finish by now.
  EXPECT_FALSE(FileExists(folder_ + "long.txt")) << "an over-long command must not run at all";
}

TEST_F(OsServices, ExecuteWithoutWaitStartsTheProgram) {
  const std::string done = folder_ + "free.txt";
  qh::IOsExecute(Sleeper(200, done), 1);
  EXPECT_EQ(TakeErrors().value1, 0);
  EXPECT_TRUE(WaitForFile(done, 15000)) << "program started without waiting never ran";
}

// The status of the program IOsExecute waited for, and -1 for any call that did not
// wait for an end: a status never outlives the run that produced it.
TEST_F(OsServices, ExitCodeBelongsToTheLastWaitedRun) {
  struct Case {
    const char* name;
    std::string command;
    int flags;
    int timeout;  // -1: none
    int expected;
  };
  const std::vector<Case> cases = {
      {"waited, status 7", Sleeper(10, "") + " --qh-exit=7", 3, -1, 7},
      {"waited, status 0", Sleeper(10, ""), 3, -1, 0},
      // The value GetExitCodeProcess also gives a running process: once the wait has
      // seen the end, it is the program's status.
      {"waited, status 259", Sleeper(10, "") + " --qh-exit=259", 3, -1, 259},
      {"not waited for", Sleeper(10, "") + " --qh-exit=5", 1, -1, -1},
      {"missing program", "qh_no_such_program_d2.exe", 3, -1, -1},
      {"timed out", Sleeper(3000, "") + " --qh-exit=4", 2, 1, -1},
      {"waited with a time-out", Sleeper(10, "") + " --qh-exit=9", 2, 20, 9},
  };
  for (const Case& c : cases) {
    if (c.timeout < 0) {
      qh::IOsExecute(c.command, c.flags);
    } else {
      qh::IOsExecute(c.command, c.flags, c.timeout);
    }
    TakeErrors();
    EXPECT_EQ(qh::IOsExitCode(), c.expected) << c.name;
  }
}

// ---------------------------------------------------------------- IOsFileCopy

TEST_F(OsServices, FileCopyTargets) {
  const std::string in = folder_ + "in\\";
  const std::string out = folder_ + "out\\";
  CreateDirectoryA(in.c_str(), nullptr);
  CreateDirectoryA(out.c_str(), nullptr);
  WriteFile(in + "a.bmp", "AAAA");
  WriteFile(out + "b.bmp", "old contents");

  struct Case {
    const char* name;
    std::string target;
    std::string expectFile;
  };
  const std::vector<Case> cases = {
      {"folder target", out, out + "a.bmp"},
      {"named target replaces an existing file", out + "b.bmp", out + "b.bmp"},
      {"target padded with blanks", out + "c.bmp" + std::string(30, ' '), out + "c.bmp"},
  };
  for (const Case& c : cases) {
    qh::IOsFileCopy(in + "a.bmp    ", c.target);
    EXPECT_EQ(TakeErrors().value1, 0) << c.name;
    EXPECT_EQ(ReadFile(c.expectFile), "AAAA") << c.name << ": " << c.expectFile;
  }

  // A blank target is the current folder.
  const std::string before = CurrentFolderNow();
  SetCurrentDirectoryA(out.c_str());
  WriteFile(in + "here.bmp", "HERE");
  qh::IOsFileCopy(in + "here.bmp", "   ");
  SetCurrentDirectoryA(before.c_str());
  EXPECT_EQ(TakeErrors().value1, 0) << "blank target";
  EXPECT_EQ(ReadFile(out + "here.bmp"), "HERE") << "blank target";
}

TEST_F(OsServices, FileCopyRefusals) {
  const std::string src = folder_ + "a.bmp";
  WriteFile(src, "AAAA");
  std::string upper = src;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));

  // Deep enough that the folder and the appended name together pass 159 characters.
  std::string deep = folder_;
  while (deep.size() < 150) {
    deep += "dddddddddd\\";
    CreateDirectoryA(deep.c_str(), nullptr);
  }
  WriteFile(folder_ + "a_rather_long_file_name.bmp", "LONG");

  struct Case {
    const char* name;
    std::string source;
    std::string target;
    int value1;
    std::string mustNotExist;
  };
  const std::vector<Case> cases = {
      {"same name", src, src + "  ", 55, ""},
      {"same name, different case goes to the system", src, upper, 13, ""},
      {"missing source", folder_ + "nothing.bmp", folder_ + "x.bmp", 13, folder_ + "x.bmp"},
      {"over-long source", folder_ + std::string(170, 's') + ".bmp", folder_ + "y.bmp", 13,
       folder_ + "y.bmp"},
      {"over-long target", src, folder_ + std::string(170, 't') + ".bmp", 13, ""},
      {"folder target too long with the name", folder_ + "a_rather_long_file_name.bmp", deep, 13,
       deep + "a_rather_long_file_name.bmp"},
      {"blank source", "      ", folder_ + "z.bmp", 77, folder_ + "z.bmp"},
  };
  for (const Case& c : cases) {
    qh::IErReport(77);
    qh::IOsFileCopy(c.source, c.target);
    EXPECT_EQ(TakeErrors().value1, c.value1) << c.name;
    EXPECT_EQ(ReadFile(src), "AAAA") << c.name << ": the source must stay untouched";
    if (!c.mustNotExist.empty()) {
      EXPECT_FALSE(FileExists(c.mustNotExist)) << c.name << ": " << c.mustNotExist;
    }
  }
  // A copy that the system refuses keeps its error number.
  qh::IOsFileCopy(folder_ + "nothing.bmp", folder_ + "x.bmp");
  const Errors e = TakeErrors();
  EXPECT_EQ(e.value1, 13);
  EXPECT_EQ(e.value3, ERROR_FILE_NOT_FOUND);
}

// ---------------------------------------------------------------- IOsFileDelete

TEST_F(OsServices, FileDeleteMatchesFilesOnly) {
  for (const char* f : {"a.asc", "b.asc", "keep.txt"}) WriteFile(folder_ + f, "x");
  CreateDirectoryA((folder_ + "dir.asc").c_str(), nullptr);

  qh::IOsFileDelete(folder_ + "*.asc" + std::string(20, ' '));
  EXPECT_EQ(TakeErrors().value1, 0);
  struct Expect {
    std::string path;
    bool exists;
  };
  for (const Expect& x : std::vector<Expect>{{folder_ + "a.asc", false},
                                            {folder_ + "b.asc", false},
                                            {folder_ + "keep.txt", true}}) {
    EXPECT_EQ(FileExists(x.path), x.exists) << x.path;
  }
  const DWORD dir = GetFileAttributesA((folder_ + "dir.asc").c_str());
  EXPECT_TRUE(dir != INVALID_FILE_ATTRIBUTES && (dir & FILE_ATTRIBUTE_DIRECTORY))
      << "a matching folder must stay";
}

TEST_F(OsServices, FileDeleteFailuresAndNoOps) {
  struct Case {
    const char* name;
    std::string pattern;
    int value1;
    int value3;
  };
  const std::vector<Case> cases = {
      {"no match", folder_ + "*.none", 13, ERROR_FILE_NOT_FOUND},
      {"blank name", "    ", 77, -1},
      {"over-long name", folder_ + std::string(260, 'n'), 13, -1},
  };
  for (const Case& c : cases) {
    qh::IErReport(77);
    qh::SetLastSystemError(0);
    qh::IOsFileDelete(c.pattern);
    const Errors e = TakeErrors();
    EXPECT_EQ(e.value1, c.value1) << c.name;
    if (c.value3 >= 0) {
      EXPECT_EQ(e.value3, c.value3) << c.name;
    }
  }
}

TEST_F(OsServices, FileDeleteWithForwardSlashesStaysInItsFolder) {
  const std::string sub = folder_ + "sub\\";
  CreateDirectoryA(sub.c_str(), nullptr);
  WriteFile(sub + "x.asc", "sub");
  WriteFile(folder_ + "x.asc", "current");
  const std::string before = CurrentFolderNow();
  SetCurrentDirectoryA(folder_.c_str());
  qh::IOsFileDelete("sub/x.asc");
  SetCurrentDirectoryA(before.c_str());
  EXPECT_EQ(TakeErrors().value1, 0);
  EXPECT_FALSE(FileExists(sub + "x.asc")) << "the named file";
  EXPECT_TRUE(FileExists(folder_ + "x.asc")) << "a same-named file of the current folder";
}

// ---------------------------------------------------------------- IOsArgument

// Runs in a process of its own, started with a bare program name and arguments.
// Room for the test program's path at any depth of the checkout.
constexpr std::size_t kArgumentRoom = 512;

TEST(OsArgumentsChild, DISABLED_Report) {
  char text[kArgumentRoom];
  auto put = [&](const char* key, int n) {
    std::memset(text, '#', sizeof(text));
    const int last = qh::IOsArgument(n, text);
    AppendResult(std::string(key) + ".text", std::string(text, sizeof(text)));
    AppendResult(std::string(key) + ".last", std::to_string(last));
  };
  put("n-1", -1);
  put("n0", 0);
  put("n3", 3);
  put("n4", 4);
  put("n5", 5);
}

TEST_F(OsServices, ArgumentsOfAProgramStartedByABareName) {
  const std::string program = ThisProgram();
  const std::string bare = program.substr(program.find_last_of('\\') + 1);
  const std::string out = folder_ + "args.txt";
  // Arguments 1 and 2 are the test framework's own flags.
  const std::string line = bare +
                           " --gtest_also_run_disabled_tests --gtest_filter=OsArgumentsChild.*"
                           " \"a b\"   xyz";
  const ChildResult run = RunChild(line, {{"QH_CHILD_OUT", out}}, ProgramFolderOfTest());
  ASSERT_TRUE(run.started && run.finished) << "child did not run";
  ASSERT_EQ(run.exitCode, 0u);
  const std::string r = ReadFile(out);
  auto padded = [](const std::string& s) { return s + std::string(kArgumentRoom - s.size(), ' '); };
  struct Expect {
    const char* key;
    std::string value;
  };
  const std::vector<Expect> expects = {
      {"n-1.text", std::string(kArgumentRoom, '#')}, {"n-1.last", "4"},
      {"n0.text", padded(program)},       {"n0.last", "0"},
      {"n3.text", padded("a b")},         {"n3.last", "3"},
      {"n4.text", padded("xyz")},         {"n4.last", "4"},
      {"n5.text", std::string(kArgumentRoom, '#')},  {"n5.last", "4"},
  };
  for (const Expect& x : expects) {
    EXPECT_EQ(ResultOf(r, x.key), x.value) << x.key;
  }
}

// ---------------------------------------------------------------- IWnHelp

TEST(HelpDecision, KindsOfNames) {
  using qh::os::HelpKind;
  struct Case {
    const char* name;
    HelpKind kind;
  };
  const Case cases[] = {
      {"Quillhaven.hlp", HelpKind::kEngineFile},  {"C:\\X\\Q.HLP     ", HelpKind::kEngineFile},
      {"http://example.org/x.txt", HelpKind::kWebAddress},
      {"see HTTP://a", HelpKind::kWebAddress},      {"page.htm", HelpKind::kWebPage},
      {"page.HTML  ", HelpKind::kWebPage},          {"notes.txt", HelpKind::kInvalid},
      {"hlp", HelpKind::kInvalid},                  {"x.hlpx", HelpKind::kInvalid},
      {"      ", HelpKind::kClose},                 {"", HelpKind::kClose},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<int>(qh::os::DecideHelpKind(c.name)), static_cast<int>(c.kind))
        << "[" << c.name << "]";
  }
}

TEST(HelpDecision, NamesAndRequests) {
  using qh::os::HelpKind;
  struct NameCase {
    const char* name;
    const char* full;
  };
  const NameCase names[] = {
      {"Quill.hlp   ", "C:\\prog\\Quill.hlp"},
      {"sub\\Quill.hlp", "sub\\Quill.hlp"},
      {"D:Quill.hlp", "D:Quill.hlp"},
  };
  for (const NameCase& c : names) {
    EXPECT_EQ(qh::os::HelpFullName(c.name, "C:\\prog\\"), c.full) << c.name;
  }
  EXPECT_EQ(qh::os::ContentsFileName("C:\\prog\\Quill.hlp"), "C:\\prog\\Quill.CNT");

  struct RequestCase {
    HelpKind kind;
    int context, popup;
    bool contents;
    UINT command;
    ULONG_PTR data;
  };
  const RequestCase requests[] = {
      {HelpKind::kClose, -1, 0, false, HELP_QUIT, 0},
      {HelpKind::kEngineFile, -1, 0, true, HELP_FINDER, 0},
      {HelpKind::kEngineFile, -1, 0, false, HELP_INDEX, 0},
      {HelpKind::kEngineFile, 12, 0, true, HELP_CONTEXT, 12},
      {HelpKind::kEngineFile, 12, 1, false, HELP_CONTEXTPOPUP, 12},
  };
  for (const RequestCase& c : requests) {
    const qh::os::HelpRequest r = qh::os::ChooseHelpRequest(c.kind, c.context, c.popup, c.contents);
    EXPECT_EQ(r.command, c.command) << "context " << c.context << " contents " << c.contents;
    EXPECT_EQ(r.data, c.data) << "context " << c.context;
  }
}

struct EngineCall {
  int calls = 0;
  std::string file;
  UINT command = 0;
  ULONG_PTR data = 0;
  BOOL answer = TRUE;
};
EngineCall g_engine;
BOOL FakeEngine(HWND, const char* file, UINT command, ULONG_PTR data) {
  ++g_engine.calls;
  g_engine.file = file ? file : "";
  g_engine.command = command;
  g_engine.data = data;
  return g_engine.answer;
}

TEST_F(OsServices, HelpRequestsReachTheEngine) {
  const std::string prog = ProgramFolderOfTest();
  const std::string base = "qh_d2_help_" + std::to_string(GetCurrentProcessId());
  const std::string hlp = prog + base + ".hlp";
  const std::string cnt = prog + base + ".CNT";
  WriteFile(hlp, "help");
  qh::os::SetHelpEngine(&FakeEngine);

  struct Case {
    const char* name;
    std::string file;
    std::optional<int> context, popup;
    bool withContents;
    BOOL answer;
    int calls;
    UINT command;
    ULONG_PTR data;
    std::string full;
    int value1;
  };
  const std::vector<Case> cases = {
      {"bare name, no contents file", base + ".hlp", {}, {}, false, TRUE, 1, HELP_INDEX, 0, hlp, 0},
      {"bare name, contents file", base + ".hlp", {}, {}, true, TRUE, 1, HELP_FINDER, 0, hlp, 0},
      {"context", hlp, 42, {}, false, TRUE, 1, HELP_CONTEXT, 42, hlp, 0},
      {"context pop-up", hlp, 42, 1, false, TRUE, 1, HELP_CONTEXTPOPUP, 42, hlp, 0},
      {"engine refuses", hlp, {}, {}, false, FALSE, 1, HELP_INDEX, 0, hlp, 1030},
      {"missing help file", prog + "qh_none.hlp", {}, {}, false, TRUE, 0, 0, 0, "", 1},
      {"not a help file", base + ".txt", {}, {}, false, TRUE, 0, 0, 0, "", 1031},
      {"close", "   ", {}, {}, false, TRUE, 1, HELP_QUIT, 0, "", 0},
  };
  for (const Case& c : cases) {
    if (c.withContents) WriteFile(cnt, "cnt");
    g_engine = EngineCall{};
    g_engine.answer = c.answer;
    qh::IWnHelp(c.file, c.context, c.popup);
    DeleteFileA(cnt.c_str());
    EXPECT_EQ(TakeErrors().value1, c.value1) << c.name;
    EXPECT_EQ(g_engine.calls, c.calls) << c.name;
    if (c.calls == 0) continue;
    EXPECT_EQ(g_engine.command, c.command) << c.name;
    EXPECT_EQ(g_engine.data, c.data) << c.name;
    if (!c.full.empty()) {
      EXPECT_EQ(g_engine.file, c.full) << c.name;
    }
  }
  qh::os::SetHelpEngine(nullptr);
  DeleteFileA(hlp.c_str());

  // The real help engine: closing a viewer that was never opened is no error.
  qh::IWnHelp("  ");
  EXPECT_EQ(TakeErrors().value1, 0) << "quit request with no viewer";
}

}  // namespace
