// Interrupts on Windows: Ctrl+C, Ctrl+Break and console close reach a handler on a
// thread of its own while the program goes on; abort is a C runtime signal.
#include <windows.h>

#include <atomic>
#include <csignal>

#include "files/temporary_files.h"
#include "files/temporary_files_platform.h"

namespace qh::temporary_files {

namespace {

std::atomic<int> commitsUnderway{0};
std::atomic<bool> ending{false};  // no new files once the process is being ended

// A commit underway is let finish first (for a while: console close allows the
// process only a few seconds).
BOOL WINAPI OnConsoleEvent(DWORD) {
  ending = true;
  for (int waited = 0; commitsUnderway.load() > 0 && waited < 200; ++waited) Sleep(10);
  RemoveAll();
  return FALSE;  // the default handler ends the process
}

void OnAbort(int) { RemoveAll(); }

}  // namespace

void RemoveFile(const char* path) { DeleteFileA(path); }

bool TakingFiles() { return !ending; }

void RemoveOnInterrupt() {
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  std::signal(SIGABRT, OnAbort);
}

InterruptsHeld::InterruptsHeld() { ++commitsUnderway; }
InterruptsHeld::~InterruptsHeld() { --commitsUnderway; }

int TakeHeldInterrupt() { return 0; }

void EndBy(int signal) {
  RemoveAll();
  std::raise(signal);
}

}  // namespace qh::temporary_files
