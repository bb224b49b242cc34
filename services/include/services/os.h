// Dealings with the operating system: processes, file copy and deletion, the
// command line, environment variables, help files, case conversion.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace qh {

enum ExecuteFlag : int { kExecHidden = 1, kExecWait = 2 };

// The longest texts the services hand to the system: each name of a copy, and a whole
// command line. Longer ones are refused, never cut; callers that must not fail check
// against these first.
inline constexpr std::size_t kCopyNameLimit = 159;
inline constexpr std::size_t kCommandLimit = 254;

void IOsExecute(std::string_view command, std::optional<int> flags = std::nullopt,
                std::optional<int> timeoutSeconds = std::nullopt);
// The exit status of the program that the last IOsExecute started and waited for to
// its end; -1 when that call did not wait for an end or the status could not be read.
int IOsExitCode();
void IOsFileCopy(std::string_view source, std::string_view target);
void IOsFileDelete(std::string_view name);
// Puts argument n into `text` (n = 0: the running program's full path); returns
// the number of the last argument looked at.
int IOsArgument(int n, std::span<char> text);
void IOsVariable(std::string_view name, std::span<char> value);
// The version of the running system as the program reads it. The programs' manifest
// lists the systems up to Windows 10 and 11, so those report their own numbers: 5.1 is
// Windows XP, 6.0 Vista, 6.1 Windows 7, 10.0 Windows 10 and 11.
struct SystemVersion {
  int major = 0;
  int minor = 0;
};
SystemVersion IOsSystemVersion();
void IWnHelp(std::string_view helpFile, std::optional<int> context = std::nullopt,
             std::optional<int> popup = std::nullopt);
void ITextLower(std::span<char> text);
void ITextUpper(std::span<char> text);

}  // namespace qh
