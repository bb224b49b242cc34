// Interrupts on POSIX systems: the signals that end the program.
#include <unistd.h>

#include <atomic>
#include <csignal>

#include "files/temporary_files.h"
#include "files/temporary_files_platform.h"

namespace qh::temporary_files {

namespace {

// Abort is among them, so that even a program that fails its own checks leaves nothing
// behind. Held back during a commit: all but abort, which comes from the program itself.
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

}  // namespace

void RemoveFile(const char* path) { ::unlink(path); }

bool TakingFiles() { return true; }

void RemoveOnInterrupt() {
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
}

InterruptsHeld::InterruptsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (const int signal : kHeldSignals) sigaddset(&held, signal);
  pthread_sigmask(SIG_BLOCK, &held, &saved_.saved);
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
  pthread_sigmask(SIG_SETMASK, &saved_.saved, nullptr);
}

int TakeHeldInterrupt() { return heldInterrupt.exchange(0); }

void EndBy(int signal) { OnSignal(signal); }

}  // namespace qh::temporary_files
