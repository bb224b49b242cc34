#include "tools/common/file_identity.h"

#include <cerrno>
#include <string_view>

#include "formats/file_system.h"

#ifdef _WIN32
// Declared here to keep <windows.h> out of the tools, as the portable core does.
extern "C" {
struct QhFileInformation {  // BY_HANDLE_FILE_INFORMATION
  unsigned long attributes;
  unsigned long times[6];  // creation, last access, last write
  unsigned long volumeSerial;
  unsigned long sizeHigh, sizeLow;
  unsigned long links;
  unsigned long indexHigh, indexLow;
};
__declspec(dllimport) void* __stdcall CreateFileA(const char* name, unsigned long access,
                                                  unsigned long share, void* security,
                                                  unsigned long disposition,
                                                  unsigned long flags, void* templateFile);
__declspec(dllimport) int __stdcall GetFileInformationByHandle(void* file,
                                                               QhFileInformation* information);
__declspec(dllimport) unsigned long __stdcall GetFileType(void* file);
__declspec(dllimport) int __stdcall CloseHandle(void* handle);
__declspec(dllimport) unsigned long __stdcall GetLastError(void);
}
#else
#include <sys/stat.h>
#endif

namespace qh::tools {

namespace {

#ifdef _WIN32
constexpr bool kNamesIgnoreCase = true;
#else
constexpr bool kNamesIgnoreCase = false;
#endif

std::string Number(std::uint64_t value) { return std::to_string(value); }

std::string FolderOf(const std::string& path) {
  const std::string_view folder = FolderPart(path);
  return folder.empty() ? std::string(".") : std::string(folder);
}

}  // namespace

#ifdef _WIN32
bool LookAt(const std::string& path, FileFacts& facts) {
  facts = FileFacts{};
  constexpr unsigned long kShareAll = 0x1 | 0x2 | 0x4;
  constexpr unsigned long kOpenExisting = 3;
  constexpr unsigned long kBackupSemantics = 0x02000000;  // lets a folder be opened
  void* const kInvalid = reinterpret_cast<void*>(-1);
  void* handle =
      CreateFileA(path.c_str(), 0, kShareAll, nullptr, kOpenExisting, kBackupSemantics, nullptr);
  if (handle == kInvalid) {
    const unsigned long error = GetLastError();
    if (error == 2 || error == 3) return true;  // FILE_NOT_FOUND, PATH_NOT_FOUND: absent
    errno = error == 5 || error == 32 ? EACCES : EIO;
    return false;
  }
  constexpr unsigned long kDiskFile = 1;
  constexpr unsigned long kFolderAttribute = 0x10;
  QhFileInformation information{};
  const bool known = GetFileInformationByHandle(handle, &information) != 0;
  const unsigned long type = GetFileType(handle);
  CloseHandle(handle);
  if (type != kDiskFile) {  // a device (NUL, CON) or a pipe
    facts.kind = FileKind::kOther;
    return true;
  }
  if (!known) {
    errno = EIO;
    return false;
  }
  facts.kind = (information.attributes & kFolderAttribute) != 0 ? FileKind::kFolder
                                                                  : FileKind::kRegular;
  facts.device = information.volumeSerial;
  facts.index = (std::uint64_t{information.indexHigh} << 32) | information.indexLow;
  return true;
}
#else
bool LookAt(const std::string& path, FileFacts& facts) {
  facts = FileFacts{};
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return errno == ENOENT;
  switch (status.st_mode & S_IFMT) {
    case S_IFREG: facts.kind = FileKind::kRegular; break;
    case S_IFDIR: facts.kind = FileKind::kFolder; break;
    default: facts.kind = FileKind::kOther; break;
  }
  facts.device = static_cast<std::uint64_t>(status.st_dev);
  facts.index = static_cast<std::uint64_t>(status.st_ino);
  return true;
}
#endif

const FileClaims::Claim* FileClaims::Take(const std::string& path, std::string role,
                                          std::size_t owner) {
  // The file the name leads to, if there is one, and the entry it is (or would be) in
  // its folder; a folder that cannot be looked at is known by its spelling.
  std::vector<std::string> keys;
  FileFacts facts;
  if (LookAt(path, facts) && facts.kind != FileKind::kAbsent) {
    keys.push_back("file " + Number(facts.device) + ":" + Number(facts.index));
  }
  std::string name(FileNamePart(path));
  if (kNamesIgnoreCase) {
    for (char& c : name) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
  }
  FileFacts folder;
  const std::string folderPath = FolderOf(path);
  if (LookAt(folderPath, folder) && folder.kind == FileKind::kFolder) {
    keys.push_back("entry " + Number(folder.device) + ":" + Number(folder.index) + "/" + name);
  } else {
    keys.push_back("spelled " + folderPath + "/" + name);
  }
  for (const std::string& key : keys) {
    const auto found = byKey_.find(key);
    if (found != byKey_.end()) return &claims_[found->second];
  }
  claims_.push_back(Claim{path, std::move(role), owner});
  for (std::string& key : keys) byKey_.emplace(std::move(key), claims_.size() - 1);
  return nullptr;
}

}  // namespace qh::tools
