#include "formats/temporary_files.h"

#include <atomic>
#include <csignal>
#include <cstring>

#ifdef _WIN32
extern "C" {
__declspec(dllimport) int __stdcall DeleteFileA(const char* name);
__declspec(dllimport) int __stdcall SetConsoleCtrlHandler(int(__stdcall* handler)(unsigned long),
                                                          int add);
__declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);
}
#else
#include <unistd.h>
#endif

namespace qh::temporary_files {

namespace {

constexpr int kPlaces = 16;

// A place is free, being filled, or holds a file to remove.
enum : int { kFree = 0, kFilling = 1, kHeld = 2 };

struct Place {
  std::atomic<int> state{kFree};
  char path[kPathBytes];
};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

Place places[kPlaces];

void RemoveFile(const char* path) {
#ifdef _WIN32
  DeleteFileA(path);
#else
  ::unlink(path);
#endif
}

#ifdef _WIN32
std::atomic<int> commitsUnderway{0};
std::atomic<bool> ending{false};  // no new files once the process is being ended

// Runs on a thread of its own while the program goes on; a commit underway is let
// finish first (for a while: console close allows the process only a few seconds).
int __stdcall OnConsoleEvent(unsigned long) {
  ending = true;
  for (int waited = 0; commitsUnderway.load() > 0 && waited < 200; ++waited) Sleep(10);
  RemoveAll();
  return 0;  // the default handler ends the process
}

void OnAbort(int) { RemoveAll(); }
#else
// The signals that end the program; abort is among them, so that even a program
// that fails its own checks leaves nothing behind. Held back during a commit: all but
// abort, which comes from the program itself.
constexpr int kEndingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGABRT};
constexpr int kHeldSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE};

std::atomic<bool> installed{false};
std::atomic<int> heldInterrupt{0};

void OnSignal(int signal) {
  RemoveAll();
  // Then the signal's own end, so that the parent sees how the program ended.
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  sigaction(signal, &byDefault, nullptr);
  raise(signal);
}
#endif

}  // namespace

int Add(const std::string& path) {
  if (path.size() >= kPathBytes) return -1;
#ifdef _WIN32
  if (ending) return -1;
#endif
  for (int i = 0; i < kPlaces; ++i) {
    int expected = kFree;
    if (!places[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(places[i].path, path.c_str(), path.size() + 1);
    places[i].state.store(kHeld, std::memory_order_release);
    return i;
  }
  return -1;
}

void Drop(int place) {
  if (place >= 0 && place < kPlaces) places[place].state.store(kFree, std::memory_order_release);
}

void RemoveAll() {
  for (Place& place : places) {
    if (place.state.load(std::memory_order_acquire) == kHeld) RemoveFile(place.path);
  }
}

void RemoveOnInterrupt() {
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleEvent, 1);
  std::signal(SIGABRT, OnAbort);
#else
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : kEndingSignals) sigaddset(&action.sa_mask, signal);
  action.sa_flags = SA_RESTART;
  installed = true;
  for (const int signal : kEndingSignals) {
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) != 0 || before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
  // A write beyond the file size limit (ulimit -f) then fails with EFBIG and is told
  // like a full disk, where the signal would end the program without a word.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

#ifdef _WIN32
InterruptsHeld::InterruptsHeld() { ++commitsUnderway; }
InterruptsHeld::~InterruptsHeld() { --commitsUnderway; }
#else
InterruptsHeld::InterruptsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (const int signal : kHeldSignals) sigaddset(&held, signal);
  pthread_sigmask(SIG_BLOCK, &held, &saved_);
}
InterruptsHeld::~InterruptsHeld() {
  sigset_t pending;
  if (installed && sigpending(&pending) == 0) {
    for (const int signal : kHeldSignals) {
      if (sigismember(&pending, signal) != 1) continue;
      int none = 0;
      heldInterrupt.compare_exchange_strong(none, signal);
      // Ignoring a pending signal discards it; the handler then goes back in place.
      struct sigaction ignore {}, was {};
      ignore.sa_handler = SIG_IGN;
      sigemptyset(&ignore.sa_mask);
      sigaction(signal, &ignore, &was);
      sigaction(signal, &was, nullptr);
    }
  }
  pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}
#endif

int TakeHeldInterrupt() {
#ifdef _WIN32
  return 0;
#else
  return heldInterrupt.exchange(0);
#endif
}

void EndBy(int signal) {
#ifdef _WIN32
  RemoveAll();
  std::raise(signal);
#else
  OnSignal(signal);
#endif
}

}  // namespace qh::temporary_files
