// The tools' messages and texts on a Windows console: a UTF-8 file name, and the
// Windows-1252 bytes of an ".asc" line, show as their letters, not as their bytes read
// in the console's code page.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tools/common/console_text.h"

namespace {

TEST(ConsoleText, AConsoleShowsTheLettersTheBytesStandFor) {
  FreeConsole();
  ASSERT_TRUE(AllocConsole()) << GetLastError();
  std::FILE* console = _wfopen(L"CONOUT$", L"w");
  ASSERT_NE(console, nullptr);
  // "结果 Łódź.ov2", as the programs' UTF-8 code page hands it over; then "München" in
  // Windows-1252.
  qh::tools::Print(console, "%s: %d points\n", "\xE7\xBB\x93\xE6\x9E\x9C \xC5\x81\xC3\xB3" "d\xC5\xBA.ov2", 3);
  EXPECT_TRUE(qh::tools::WriteText(console, "\"M\xFCnchen\"\n", qh::tools::TextBytes::kWindows1252));
  std::fclose(console);
  const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
  ASSERT_NE(screen, INVALID_HANDLE_VALUE);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
  const auto width = static_cast<DWORD>(info.dwSize.X);
  std::wstring rows[2];
  for (SHORT row = 0; row < 2; ++row) {
    std::wstring& shown = rows[row];
    shown.assign(width, L' ');
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(screen, shown.data(), width, COORD{0, row}, &read));
    shown.erase(shown.find_last_not_of(L' ') + 1);
  }
  CloseHandle(screen);
  FreeConsole();
  EXPECT_EQ(rows[0], L"\u7ED3\u679C \u0141\u00F3d\u017A.ov2: 3 points") << "Print";
  EXPECT_EQ(rows[1], L"\"M\u00FCnchen\"") << "WriteText";
}

}  // namespace
