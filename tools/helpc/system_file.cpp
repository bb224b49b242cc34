#include "tools/helpc/system_file.h"

#include <array>

namespace qh::help {
namespace {

constexpr std::size_t kFaceNameSize = 20;
constexpr std::array<std::string_view, 2> kFaceNames = {"Arial", "Courier New"};

struct FontDescriptor {
  std::uint8_t attributes;  // 1 bold
  std::uint8_t halfPoints;
  std::uint8_t family;      // 1 modern (fixed pitch), 3 swiss
  std::uint16_t faceName;
};

// By FontNumber.
constexpr std::array<FontDescriptor, kFontCount> kFonts = {{
    {0, 20, 3, 0},  // body: Arial 10 pt
    {1, 28, 3, 0},  // topic title: Arial 14 pt bold
    {1, 22, 3, 0},  // heading: Arial 11 pt bold
    {1, 20, 3, 0},  // bold: Arial 10 pt bold
    {0, 20, 1, 1},  // code: Courier New 10 pt
}};

constexpr std::uint16_t kWindowRecordSize = 90;
constexpr std::uint16_t kWindowNameGiven = 0x0002;
constexpr std::uint16_t kWindowCaptionGiven = 0x0004;

constexpr std::string_view kStartMacros[] = {"BrowseButtons()"};


void SystemText(ByteWriter& out, std::uint16_t record, std::string_view text) {
  out.U16(record);
  out.U16(static_cast<std::uint16_t>(text.size() + 1));
  out.String(text);
}

// The main window's definition, for its caption: the viewer's own name otherwise.
void MainWindowRecord(ByteWriter& out, std::string_view caption) {
  out.U16(kWindowRecord);
  out.U16(kWindowRecordSize);
  out.U16(kWindowNameGiven | kWindowCaptionGiven);
  out.Padded("", 10);  // type
  out.Padded("main", 9);
  out.Padded(caption.substr(0, 50), 51);
  out.Zeros(kWindowRecordSize - 2 - 10 - 9 - 51);  // place, size and colours not given
}

}  // namespace

Bytes SystemFile(std::string_view title, std::string_view copyright, std::uint32_t contentsAddress) {
  ByteWriter out;
  out.U16(kSystemMagic);
  out.U16(kWinHelp31);
  out.U16(1);  // major version
  out.U32(0);  // date of making, left out so that a build is reproducible
  out.U16(0);  // no compression, topic blocks of 4 KB
  SystemText(out, kTitleRecord, title);
  if (!copyright.empty()) SystemText(out, kCopyrightRecord, copyright);
  out.U16(kContentsRecord);
  out.U16(4);
  out.U32(contentsAddress);
  for (const std::string_view macro : kStartMacros) SystemText(out, kMacroRecord, macro);
  MainWindowRecord(out, title);
  return out.Take();
}

Bytes FontFile() {
  ByteWriter out;
  out.U16(static_cast<std::uint16_t>(kFaceNames.size()));
  out.U16(static_cast<std::uint16_t>(kFonts.size()));
  const std::uint16_t namesAt = 8;
  out.U16(namesAt);
  out.U16(static_cast<std::uint16_t>(namesAt + kFaceNames.size() * kFaceNameSize));
  for (const std::string_view name : kFaceNames) out.Padded(name, kFaceNameSize);
  for (const FontDescriptor& font : kFonts) {
    out.U8(font.attributes);
    out.U8(font.halfPoints);
    out.U8(font.family);
    out.U16(font.faceName);
    out.Zeros(3);             // black text
    out.Raw("\xFF\xFF\xFF");  // on white
  }
  return out.Take();
}

}  // namespace qh::help
