// IOsVariable: environment variables into blank-padded buffers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/error_state.h"
#include "services/errors.h"
#include "services/os.h"

namespace qh {
namespace {

void SetVariable(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv((name + "=" + value).c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

void UnsetVariable(const std::string& name) {
#ifdef _WIN32
  _putenv((name + "=").c_str());
#else
  unsetenv(name.c_str());
#endif
}

class Variables : public ::testing::Test {
 protected:
  void SetUp() override { ResetErrorStateForTests(); }
  void TearDown() override {
    UnsetVariable(kName);
    ResetErrorStateForTests();
  }
  static constexpr const char* kName = "QH_VARIABLES_TEST";
};

TEST_F(Variables, ValueIsBlankPadded) {
  SetVariable(kName, "C:\\lib");
  std::string buffer(10, '#');
  IOsVariable(kName, buffer);
  EXPECT_EQ(buffer, "C:\\lib    ");
  EXPECT_EQ(IErInfo(1), 0);
}

TEST_F(Variables, NameIsTrimmedOfTrailingBlanks) {
  SetVariable(kName, "3");
  std::string buffer(4, '#');
  IOsVariable(std::string(kName) + "     ", buffer);
  EXPECT_EQ(buffer, "3   ");
}

TEST_F(Variables, UnsetVariableGivesABlankBuffer) {
  UnsetVariable(kName);
  std::string buffer(8, '#');
  IOsVariable(kName, buffer);
  EXPECT_EQ(buffer, std::string(8, ' '));
  EXPECT_EQ(IErInfo(1), 0);
  buffer.assign(8, '#');
  IOsVariable("   ", buffer);
  EXPECT_EQ(buffer, std::string(8, ' ')) << "blank name";
}

TEST_F(Variables, ValueThatJustFits) {
  SetVariable(kName, "12345678");
  std::string buffer(8, '#');
  IOsVariable(kName, buffer);
  EXPECT_EQ(buffer, "12345678");
  EXPECT_EQ(IErInfo(1), 0);
}

TEST_F(Variables, TooLongValueLeavesBlankAndReports65) {
  SetVariable(kName, "123456789");
  std::string buffer(8, '#');
  IOsVariable(kName, buffer);
  EXPECT_EQ(buffer, std::string(8, ' '));
  EXPECT_EQ(IErInfo(1), 65);
}

}  // namespace
}  // namespace qh
