#include "tools/common/file_identity.h"

#include <cerrno>
#include <string_view>

#include "files/file_system.h"
#include "files/platform.h"
#include "numeric/ascii.h"

namespace qh::tools {

namespace {

std::string Number(std::uint64_t value) { return std::to_string(value); }

std::string FolderOf(const std::string& path) {
  const std::string_view folder = FolderPart(path);
  return folder.empty() ? std::string(".") : std::string(folder);
}

}  // namespace

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
  if (platform::kNamesIgnoreCase) LowerAscii(name);
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
