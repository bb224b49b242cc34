// Internals of the operating-system services shared by their files and their tests:
// the working-length rule for texts handed to the system, the help request decision,
// and seams in front of the system calls that tests must be able to watch.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qh::os {

// Length without trailing blanks and trailing NULs (in any mix).
std::size_t OsSignificantLength(std::string_view text);

// The significant characters of `text`, ready to be NUL-terminated for the system,
// or nothing when they do not fit a buffer of `workingLength` with its NUL. Cutting
// such a name would make the operation act on a different file or program.
std::optional<std::string> OsText(std::string_view text, std::size_t workingLength);

// Folder part of a path: up to and including the last "\" or ":"; empty if none.
std::string_view FolderPart(std::string_view path);
// File-name part: what follows the folder part.
std::string_view FileNamePart(std::string_view path);

// Whether a name is an existing plain file, or an existing folder; false when empty.
bool IsFile(const std::string& name);
bool IsFolder(const std::string& name);
// The folder with a closing backslash (an empty folder stays empty).
std::string WithBackslash(std::string folder);

// Records the system's error number as the last operating-system error value.
void KeepSystemError(int number);

// --- IWnHelp ---
enum class HelpKind { kClose, kEngineFile, kWebAddress, kWebPage, kInvalid };
HelpKind DecideHelpKind(std::string_view name);

// A name without "\" whose second character is not ":" lies in the program's folder.
std::string HelpFullName(std::string_view name, std::string_view programFolder);
// The contents file beside a help file: the last four characters become ".CNT".
std::string ContentsFileName(std::string_view fullName);

struct HelpRequest {
  UINT command = 0;
  ULONG_PTR data = 0;
};
// The help-engine request for a help-engine file (or the quit request for Close).
HelpRequest ChooseHelpRequest(HelpKind kind, int context, int popup, bool contentsExists);

// Seams: tests replace these to watch what would reach the system.
using HelpEngineFn = BOOL (*)(HWND owner, const char* file, UINT command, ULONG_PTR data);
using LaunchFn = UINT (*)(const char* commandLine, UINT show);
void SetHelpEngine(HelpEngineFn fn);  // nullptr restores WinHelpA
void SetLauncher(LaunchFn fn);        // nullptr restores WinExec

}  // namespace qh::os
