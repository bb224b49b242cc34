// Dealings with the operating system: processes, file copy and deletion, the
// command line, environment variables, help files, case conversion.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace qh {

enum ExecuteFlag : int { kExecHidden = 1, kExecWait = 2 };

void IOsExecute(std::string_view command, std::optional<int> flags = std::nullopt,
                std::optional<int> timeoutSeconds = std::nullopt);
void IOsFileCopy(std::string_view source, std::string_view target);
void IOsFileDelete(std::string_view name);
// Puts argument n into `text` (n = 0: the running program's full path); returns
// the number of the last argument looked at.
int IOsArgument(int n, std::span<char> text);
void IOsVariable(std::string_view name, std::span<char> value);
void IWnHelp(std::string_view helpFile, std::optional<int> context = std::nullopt,
             std::optional<int> popup = std::nullopt);
void ITextLower(std::span<char> text);
void ITextUpper(std::span<char> text);

}  // namespace qh
