// Error reporting of the services: no operation returns a status; a failure hands
// its code to IErReport, which keeps it and reports it by the reporting mode
// (0 silent, 1 standard output, 2 debug file, 3 status bar, 4 "Library Error" box).
#pragma once

#include <string_view>

namespace qh {

void IErReport(int code);
void IErMode(int mode);
// The values IErInfo answers, each cleared as it is read: the last error code, the
// graphics status, the last operating-system error number.
enum ErrorInfoItem : int { kInfoLastError = 1, kInfoGraphicsStatus = 2, kInfoSystemError = 3 };
int IErInfo(int which);
[[noreturn]] void IErAbnormalExit(std::string_view message, int code);

}  // namespace qh
