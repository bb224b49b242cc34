#include "tools/helpc/help_container.h"

#include <stdexcept>
#include <vector>

#include "tools/helpc/btree.h"

namespace qh::help {
namespace {

void AppendInternalFile(ByteWriter& out, const Bytes& contents) {
  const auto used = static_cast<std::uint32_t>(contents.size());
  out.U32(used + kInternalHeaderSize);  // space reserved, this header included
  out.U32(used);
  out.U8(kInternalFileFlags);
  out.Raw(contents);
}

}  // namespace

Bytes HelpContainer::Build() const {
  ByteWriter out;
  out.U32(kHelpFileMagic);
  const std::size_t directoryAt = out.Size();
  out.U32(0);           // where the directory starts, patched below
  out.U32(0xFFFFFFFF);  // no free blocks
  const std::size_t sizeAt = out.Size();
  out.U32(0);  // the file's size, patched below

  std::vector<BtreeEntry> entries;
  for (const auto& [name, contents] : files_) {
    BtreeEntry entry;
    ByteWriter key, value;
    key.String(name);
    value.U32(static_cast<std::uint32_t>(out.Size()));
    entry.key = key.Take();
    entry.value = value.Take();
    entries.push_back(std::move(entry));
    AppendInternalFile(out, contents);
  }

  const auto directoryStart = static_cast<std::uint32_t>(out.Size());
  AppendInternalFile(out, BuildBtree({"z4", kDirectoryFlags, kDirectoryPageSize}, entries));
  out.PatchU32(directoryAt, directoryStart);
  out.PatchU32(sizeAt, static_cast<std::uint32_t>(out.Size()));
  return out.Take();
}

}  // namespace qh::help
