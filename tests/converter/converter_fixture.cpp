#include "tests/converter/converter_fixture.h"

#include <unistd.h>

#include <cstring>
#include <iterator>
#include <sstream>

namespace qh::test {

StoredPin HomePin(std::u16string name) {
  StoredPin pin;
  pin.flag = 2;
  pin.latitudeRadians = 0.25;
  pin.longitudeRadians = 0.5;
  pin.name = std::move(name);
  return pin;
}

::testing::AssertionResult SameCalls(const std::vector<std::string>& expected,
                                     const std::vector<std::string>& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  std::ostringstream text;
  text << "call tables differ\n  expected (" << expected.size() << "):\n";
  for (const std::string& call : expected) text << "    " << call << '\n';
  text << "  actual (" << actual.size() << "):\n";
  for (const std::string& call : actual) text << "    " << call << '\n';
  return ::testing::AssertionFailure() << text.str();
}

void ConverterTest::SetUp() {
  fake::Reset();
  // A folder name without dots: several tests depend on the first "." of a name.
  root_ = folder_.Path();
  std::filesystem::create_directories(root_ / "cwd");
  base_ = root_.string() + "/";
  ASSERT_EQ(base_.find('.'), std::string::npos) << "temporary folder " << base_;

  symbolBytes_ = "BM symbol beside the program";
  WriteFile(Path("prog\\MakeOV2_v1-1.exe"), "utility");
  WriteFile(Path("prog\\default_symbol.bmp"), symbolBytes_);
  fake::State().argument0 = Path("prog\\Quillhaven.exe");

  // The program must not depend on the current folder.
  previousFolder_ = std::filesystem::current_path();
  std::filesystem::current_path(root_ / "cwd");
}

void ConverterTest::TearDown() {
  std::filesystem::current_path(previousFolder_);
}

void ConverterTest::WriteFile(const std::string& name, std::string_view bytes) {
  ASSERT_TRUE(test::WriteFile(name, bytes)) << "cannot write " << name;
}

std::string ConverterTest::ReadFile(const std::string& name) {
  return test::ReadFile(name);
}

bool ConverterTest::Exists(const std::string& name) { return std::filesystem::exists(name); }

int ConverterTest::FilesIn(std::string_view relativeFolder) const {
  // The test's names keep their backslashes: a folder is a prefix of names in root_.
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(root_))
    count += entry.path().filename().string().rfind(relativeFolder, 0) == 0;
  return count;
}

int ConverterTest::RunProgram() { return ProgramMain(); }

std::vector<std::string> ConverterTest::CallsOfMessage(int n) {
  std::vector<std::string> calls;
  int seen = 0;
  for (const std::string& line : fake::State().log) {
    if (line.rfind("IWnGetMessage(", 0) == 0) {
      ++seen;
      if (seen > n) break;
      continue;
    }
    if (seen == n && line != "IWnStop()") calls.push_back(line);
  }
  return calls;
}

}  // namespace qh::test
