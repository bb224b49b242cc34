// The parts of the file module that ask the system: Windows.
#include <windows.h>

#include <string>

#include "files/file_system.h"

namespace qh {

bool MakeFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The C library's stat gives whole seconds here: two saves within one second would
// look alike. The handle's information has the write time in 100 ns steps and the
// file's index, which a rename into the name changes.
FileStamp StampOf(std::string_view path) {
  const std::string name(path);
  if (name.empty()) return {};
  HANDLE file = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!known) return {};
  const auto join = [](DWORD high, DWORD low) {
    return (static_cast<unsigned long long>(high) << 32) | low;
  };
  return {true, static_cast<long long>(join(info.nFileSizeHigh, info.nFileSizeLow)),
          static_cast<long long>(join(info.ftLastWriteTime.dwHighDateTime,
                                      info.ftLastWriteTime.dwLowDateTime)),
          join(info.nFileIndexHigh, info.nFileIndexLow)};
}

bool FreeDiskBytes(const std::string& folder, std::uint64_t& bytes, IoError& error) {
  const std::string name = folder.empty() ? std::string(".\\") : folder;
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExA(name.c_str(), &available, nullptr, nullptr)) {
    error = {IoFailure::kCannotOpen, name, "the system cannot tell the free space"};
    return false;
  }
  bytes = available.QuadPart;
  return true;
}

std::string ProgramFolder(const char* argv0) {
  return std::string(FolderPart(argv0 != nullptr ? argv0 : ""));
}

}  // namespace qh
