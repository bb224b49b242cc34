// The fixed-column number formats, one function each: the F, G and I edit descriptors
// and a format text naming one of them. Locale-free and exact; shared by the file
// formats (".asc" columns, "offsets.txt") and the services (numbers in dialog fields).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qh {

// Fw.d: rounded to d decimals, right-justified in w columns, a zero before the point
// when there is room, no sign for a value that rounds to zero; w asterisks when the
// value does not fit.
std::string EditF(double value, int width, int decimals);
// EditF(value, 10, 5) written to the ten bytes at `field` with no string and no general
// formatting: the columns of ".asc" lines, millions a file. Integer arithmetic on the
// value's bits scaled by 10^5 rounds exactly as EditF does (the exact binary value,
// ties to even). False when the field is asterisks; otherwise `units` is the number
// the field shows, in units of 10^-5 (0 for a field of zero, which has no sign).
bool PutF10_5(double value, char* field, std::int32_t& units);
// EditF by the exact decimal expansion alone (std::to_chars), without any shortcut:
// the general formatter the shortcuts are held against.
std::string EditFExact(double value, int width, int decimals);
// Gw.dEe: d significant digits, fixed notation (followed by e + 2 blanks) for
// magnitudes from 0.1 up to 10^d, exponent notation otherwise.
std::string EditG(double value, int width, int digits, int exponentDigits = 2);
// Iw: right-justified integer; w asterisks when it does not fit.
std::string EditI(std::int64_t value, int width);
// Formats by a format text such as "(F8.5)", "(G15.5E2)" or "(I11)". Returns false
// when the format cannot be understood; the text then is empty.
bool EditFormat(std::string_view format, double value, std::string& out);

}  // namespace qh
