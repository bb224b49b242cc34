// The numeric dialog fields' text rules, apart from any window: which typed
// characters a field class takes, the check of a field's text when the user leaves
// it, and the text that putting a number into a field shows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qh {

enum class NumericFieldKind { Integer, Real, Double };

// The numeric class of a window class name ("INTEGEREDIT", "INTEGERSPIN", "REALEDIT",
// "DOUBLEEDIT", any case); nullopt for every other class.
std::optional<NumericFieldKind> NumericKindOfClass(std::string_view className);

// What a typed character becomes: the character to enter (a typed "e" becomes "E",
// in a double field "d" becomes "D"), the passing control characters unchanged, and
// -1 for a character the field refuses (the field beeps).
int FilterTypedCharacter(NumericFieldKind kind, int character);

// The control characters that pass every numeric field.
constexpr int kSelectAllCharacter = 1;

// The scan of a field's text: blanks or tabs, an optional sign, digits with at most
// one ".", optionally E, e, D or d with an optional sign and digits, and nothing
// after that. An empty text passes.
bool NumericTextScans(std::string_view text);

// A range is in force only while low <= high.
inline bool RangeInForce(double low, double high) { return low <= high; }
inline bool WithinRange(double low, double high, double value) {
  return !RangeInForce(low, high) || (value >= low && value <= high);
}

// The value of a text that passes the scan (a part without digits reads as 0).
double ScannedValue(std::string_view text);

// A field's text is valid when it passes the scan and, where a range is in force,
// its value lies within it.
bool NumericFieldTextValid(std::string_view text, double low, double high);

// The text that putting `value` with `format` shows: the format's first 50
// characters ("(G15.5E2)" when it is absent or blank), formatted into 100
// characters, leading and trailing blanks removed. A format that cannot be used, or a
// result with asterisks from a format without any, gives "**********" and `fitted`
// false.
std::string FieldNumberText(double value, std::optional<std::string_view> format,
                            std::string_view defaultFormat, bool& fitted);

inline constexpr std::string_view kRealFieldFormat = "(G15.5E2)";
inline constexpr std::string_view kIntegerFieldFormat = "(I11)";

}  // namespace qh
