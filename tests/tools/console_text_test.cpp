// The tools' messages on a Windows console: a UTF-8 file name shows as its letters, not
// as its bytes read in the console's code page.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tools/common/console_text.h"

namespace {

TEST(ConsoleText, AConsoleShowsTheLettersOfAUtf8Name) {
  FreeConsole();
  ASSERT_TRUE(AllocConsole()) << GetLastError();
  std::FILE* console = _wfopen(L"CONOUT$", L"w");
  ASSERT_NE(console, nullptr);
  // "结果 Łódź.ov2", as the programs' UTF-8 code page hands it over.
  qh::tools::Print(console, "%s: %d points\n", "\xE7\xBB\x93\xE6\x9E\x9C \xC5\x81\xC3\xB3" "d\xC5\xBA.ov2", 3);
  std::fclose(console);
  const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
  ASSERT_NE(screen, INVALID_HANDLE_VALUE);
  wchar_t shown[64] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(screen, shown, 30, COORD{0, 0}, &read));
  CloseHandle(screen);
  FreeConsole();
  const std::wstring expected = L"\u7ED3\u679C \u0141\u00F3d\u017A.ov2: 3 points";
  EXPECT_EQ(std::wstring(shown, read).substr(0, expected.size()), expected)
      << "console code page " << GetConsoleOutputCP();
}

}  // namespace
