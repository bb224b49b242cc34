// Running a command-line tool as a user does, through the shell, with its outputs
// caught: shared by the tools' tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "tests/support/temp_folder.h"

namespace qh::test {

struct RunResult {
  int status = -1;
  std::string out, err;
};

// Runs a command line through the shell with its outputs caught in files.
inline RunResult RunTool(const TempFolder& folder, const std::string& command) {
  const std::string out = folder.File("run.stdout"), err = folder.File("run.stderr");
  const int raw = std::system((command + " >\"" + out + "\" 2>\"" + err + "\"").c_str());
  RunResult r;
#ifdef _WIN32
  r.status = raw;
#else
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  r.out = ReadFile(out);
  r.err = ReadFile(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return r;
}

inline std::string Quote(const std::string& s) { return "\"" + s + "\""; }

}  // namespace qh::test
