// The few facts of the system a build is for that portable code needs, in one place:
// outside the *_posix / *_win halves, no other file asks which system it is built for.
#pragma once

#include <cstddef>

#ifndef _WIN32
#include <signal.h>
#endif

namespace qh::platform {

#ifdef _WIN32
// "Trip.OV2" and "trip.ov2" are one file.
inline constexpr bool kNamesIgnoreCase = true;
// The longest path a table of names keeps, its closing NUL included: the ANSI calls
// take no more than MAX_PATH.
inline constexpr std::size_t kPathBytes = 1024;
// What a thread's held interrupts need kept (nothing: the console handler waits).
struct SignalMask {};
#else
inline constexpr bool kNamesIgnoreCase = false;
inline constexpr std::size_t kPathBytes = 4096;  // PATH_MAX
struct SignalMask {
  sigset_t saved;
};
#endif

}  // namespace qh::platform

// printf's checks of a function's format (MinGW's C++ library prints through its own
// functions, which take C99's "%zu").
#if defined(__MINGW32__)
#define QH_PRINTF_FORMAT(formatAt, firstAt) __attribute__((format(gnu_printf, formatAt, firstAt)))
#elif defined(__GNUC__)
#define QH_PRINTF_FORMAT(formatAt, firstAt) __attribute__((format(printf, formatAt, firstAt)))
#else
#define QH_PRINTF_FORMAT(formatAt, firstAt)
#endif
