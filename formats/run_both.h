// Two pieces of work at once: one on a thread of its own, one on the calling thread.
#pragma once

#include <exception>
#include <system_error>
#include <thread>

namespace qh {

// Runs `second` on a thread of its own while this one runs `first`, and returns when
// both are done; without a thread to be had, runs `second` and then `first`, so that
// `first` may wait for what `second` hands over. An exception of
// either (running out of memory) comes out here, once both are done: never on the
// second thread, where it would end the program.
template <class First, class Second>
void RunBoth(First first, Second second) {
  std::exception_ptr failure;
  std::thread thread;
  try {
    thread = std::thread([&] {
      try {
        second();
      } catch (...) {
        failure = std::current_exception();
      }
    });
  } catch (const std::system_error&) {  // no second thread: both here
    second();
    first();
    return;
  }
  try {
    first();
  } catch (...) {
    thread.join();
    throw;
  }
  thread.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace qh
