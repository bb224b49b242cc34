// Two pieces of work at once: one on a thread of its own, one on the calling thread.
#pragma once

#include <exception>
#include <system_error>
#include <thread>

namespace qh {

// Runs `second` on a thread of its own while this one runs `first`, and returns true
// when both are done; false, having run neither, when no thread is to be had (work
// that hands from one to the other cannot then be run at all). An exception of either
// (running out of memory) comes out here, once both are done: never on the second
// thread, where it would end the program.
template <class First, class Second>
bool RunTogether(const First& first, const Second& second) {
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
  } catch (const std::system_error&) {
    return false;
  }
  try {
    first();
  } catch (...) {
    thread.join();
    throw;
  }
  thread.join();
  if (failure) std::rethrow_exception(failure);
  return true;
}

// As RunTogether, and without a thread to be had, both here, one after the other.
template <class First, class Second>
void RunBoth(const First& first, const Second& second) {
  if (RunTogether(first, second)) return;
  first();
  second();
}

}  // namespace qh
