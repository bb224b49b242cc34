// The message table: all texts in one run of characters, and a table by code that
// gives each text's start and length. Codes 1..65 and 1001..1042 have a slot; a slot
// of length 0 has no text.
#include "core/error_table.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <string_view>

#include "services/text.h"

namespace qh {
namespace {

struct Message {
  int code;
  std::string_view text;
};

// The source list; only used at compile time to lay out the run and the index.
constexpr Message kMessages[] = {
    {1, "Error opening file or device"},
    {2, "Error reading/writing file or device"},
    {3, "Error closing file or device"},
    {4, "Number too large in string to numeric conversion"},
    {5, "Graphics not supported on requested printer"},
    {10, "No substring found"},
    {11, "More than one decimal point in number"},
    {12, "Invalid character detected"},
    {13, "Operating system command error in an OS routine"},
    {16, "X or Y graphics unit range is invalid"},
    {18, "Numeric to string conversion error"},
    {20, "Circle/ellipse radius <=0, height ratio<=0 or arc angle=0"},
    {21, "Length of axis-parallel side of a parallelogram is =<0"},
    {22, "Width/height=0 for a rectangle/triangle/parallelogram"},
    {23, "No program name specified to IOsExecute"},
    {24, "Too many data values specified for a cumulative plot"},
    {25, "Too many bytes in char set during conversion from ASCII"},
    {27, "Incompatible or unsupported image file in IGxImageLoad"},
    {28, "Borders cross in IGxPolygonFill - unable to fill polygon"},
    {34, "Requested page size too large for raster image buffer"},
    {40, "Number of files matched by IOsFolderInfo/List exceeds array size"},
    {42, "Unknown colour name/number specified to IGxColour/IGxColourNumber"},
    {43, "Contour heights must increase monotonically"},
    {44, "Invalid X and/or Y range in IGxArea/IGxViewport/IGxReplayArea"},
    {46, "No graphics hardcopy driver currently selected"},
    {49, "Fill too complex in IGxPolygonComplexFill"},
    {51, "A search box contains too many points in IPlGridFromPoints"},
    {53, "Cannot find substitute software font in IGxCharacter"},
    {54, "Mismatched driver/device in hardcopy options file"},
    {55, "Source and target file names same in copy command"},
    {58, "Min value greater than max value in IPlHighLow"},
    {63, "Windows printer not available"},
    {64, "Bit image transfer failed in IGxImagePrint"},
    {65, "Return buffer too small in IOsVariable"},
    {1001, "Invalid menu item"},
    {1002, "Unable to load menu from resource"},
    {1003, "Invalid window handle"},
    {1004, "General error in common dialog"},
    {1005, "No dialogs currently loaded"},
    {1006, "Invalid field identifier"},
    {1007, "Unable to load dialog from resource"},
    {1008, "Unable to select specified dialog"},
    {1009, "Attempt to store an out of range dialog field value"},
    {1010, "Field value undefined"},
    {1011, "Option number out of range"},
    {1012, "Invalid tab number specified"},
    {1013, "Invalid range specified for progress bar"},
    {1014, "Invalid dialog mode requested"},
    {1015, "Invalid bitmap/icon identifier"},
    {1016, "Unable to display window/dialog. Root window hidden"},
    {1017, "Cell co-ordinates out of range"},
    {1018, "Too many rows for grid field to hold"},
    {1019, "Invalid target drawing surface"},
    {1020, "Bitmap creation failed"},
    {1021, "Invalid bitmap handle"},
    {1022, "Only child windows can be converted into editors or viewers"},
    {1023, "Variable too small to receive text"},
    {1024, "Invalid editor mode requested"},
    {1025, "Editor can't have menu in InsideRoot child window"},
    {1026, "User menu not supported with modal editor"},
    {1027, "General problem initializing editor"},
    {1028, "Current window is not a text editor"},
    {1029, "Invalid range specified for trackbar"},
    {1030, "General help viewer error"},
    {1031, "Not a valid help file extension"},
    {1032, "Editor does not have a command line"},
    {1033, "Editor can't have command line in InsideRoot child window"},
    {1034, "External process timed out before completion"},
    {1035, "Failed to enable OpenGL graphics"},
    {1036, "Can't destroy bitmap while in use by bitmap viewer"},
    {1037, "Specified bitmap is already in use"},
    {1038, "Child window is already converted to a different type"},
    {1039, "Invalid bitmap viewer mode requested"},
    {1040, "General problem initializing bitmap viewer"},
    {1041, "X server modal dialog/window pixmap resources are low"},
    {1042, "X server modal dialog/window pixmap resources are exhausted"},
};

constexpr int kLowFirst = 1, kLowLast = 65;
constexpr int kHighFirst = 1001, kHighLast = 1042;
constexpr std::size_t kSlots = (kLowLast - kLowFirst + 1) + (kHighLast - kHighFirst + 1);

constexpr int SlotOf(int code) {
  if (code >= kLowFirst && code <= kLowLast) return code - kLowFirst;
  if (code >= kHighFirst && code <= kHighLast) return (kLowLast - kLowFirst + 1) + code - kHighFirst;
  return -1;
}

constexpr std::size_t RunLength() {
  std::size_t total = 0;
  for (const Message& m : kMessages) total += m.text.size();
  return total;
}

struct Entry {
  std::size_t start = 0;
  std::size_t length = 0;
};

struct Table {
  std::array<char, RunLength()> run{};
  std::array<Entry, kSlots> index{};
};

constexpr Table MakeTable() {
  Table t;
  std::size_t at = 0;
  for (const Message& m : kMessages) {
    const int slot = SlotOf(m.code);
    if (slot < 0) throw "code outside the table";  // stops compilation
    if (t.index[static_cast<std::size_t>(slot)].length != 0) throw "code listed twice";
    t.index[static_cast<std::size_t>(slot)] = {at, m.text.size()};
    for (char c : m.text) t.run[at++] = c;
  }
  return t;
}

constexpr Table kTable = MakeTable();

}  // namespace

std::string_view ErrorText(int code) {
  const int slot = SlotOf(code);
  if (slot < 0) return " ";
  const Entry& e = kTable.index[static_cast<std::size_t>(slot)];
  if (e.length == 0) return " ";
  return {kTable.run.data() + e.start, e.length};
}

std::string FourColumns(int value) {
  char digits[16];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  const std::size_t n = static_cast<std::size_t>(end - digits);
  if (ec != std::errc() || n > 4) return "****";
  return std::string(4 - n, ' ') + std::string(digits, n);
}

std::string ErrorLine(int code) {
  std::string line = "Error=" + FourColumns(code) + ":";
  line += ErrorText(code);
  if (line.size() > kErrorLineLength) line.resize(kErrorLineLength);
  line.resize(SignificantLength(line));
  return line;
}

std::string AbnormalExitText(std::string_view message, int code) {
  constexpr std::size_t kMaxLength = 255;
  std::string code4 = FourColumns(code);
  std::string text = "Abnormal exit (code ";
  text += std::string_view(code4).substr(code4.find_first_not_of(' '));
  text += ") : ";
  text += Trimmed(message);
  if (text.size() > kMaxLength) text.resize(kMaxLength);
  return text;
}

}  // namespace qh
