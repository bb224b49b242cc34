// Shared ground for the converter tests: a fresh temporary world per test (a program
// folder with the utility and the symbol bitmap beside the program, a current folder
// elsewhere) and call tables compared whole.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/converter/fake_services.h"
#include "tests/support/pushpin_builder.h"
#include "tests/support/temp_folder.h"

namespace qh::test {

// Flag 2, latitude 0.25 rad, longitude 0.5 rad: -28.64789, 14.32395 in the output.
StoredPin HomePin(std::u16string name = u"Home");

// One line of the fake's call log as the fake writes it (numbers in decimal, texts as
// they stand), so tables name ids and codes instead of repeating their numbers.
inline void AppendCallArgument(std::string& line, int value) { line += std::to_string(value); }
inline void AppendCallArgument(std::string& line, std::string_view text) { line += text; }
template <typename... Args>
std::string Call(std::string_view operation, const Args&... args) {
  std::string line(operation);
  line += '(';
  bool first = true;
  ((line += first ? "" : ",", first = false, AppendCallArgument(line, args)), ...);
  line += ')';
  return line;
}

// Compares two call tables and prints both, one call per line, when they differ.
::testing::AssertionResult SameCalls(const std::vector<std::string>& expected,
                                     const std::vector<std::string>& actual);

// The status text of the offsets when both are zero.
inline constexpr std::string_view kZeroOffsetsStatus =
    " Longitude, Latitude offsets (degrees):  0.00000,  0.00000";

class ConverterTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A name below the test's root; `relative` uses backslashes as the program does.
  std::string Path(std::string_view relative) const { return base_ + std::string(relative); }
  // The program's folder as the converter sees it (ends in a backslash).
  std::string ProgramFolder() const { return Path("prog\\"); }

  static void WriteFile(const std::string& name, std::string_view bytes);
  static std::string ReadFile(const std::string& name);
  static bool Exists(const std::string& name);
  // How many files lie in the folder `relativeFolder` names (ending in a backslash).
  int FilesIn(std::string_view relativeFolder) const;

  // Runs the whole program against the scripts queued so far; returns its exit code.
  int RunProgram();

  // The log from the first call after the n-th IWnGetMessage (1-based) up to the
  // next IWnGetMessage: what one command did.
  static std::vector<std::string> CallsOfMessage(int n);

  test::TempFolder folder_;
  std::filesystem::path root_;
  std::string base_;  // root_ and a slash: the start of every test name
  std::filesystem::path previousFolder_;
  std::string symbolBytes_;  // content of default_symbol.bmp beside the program
};

}  // namespace qh::test
