#include "converter/output_names.h"

#include <string>

#include "services/os.h"

namespace qh {

namespace {

// The name without a final `extension` (any case), or the whole name: the stem that
// each output extension follows.
std::string_view StemBefore(std::string_view name, std::string_view extension) {
  if (name.size() < extension.size()) return name;
  FixedText<8> tail(name.substr(name.size() - extension.size()));
  ITextLower(tail.Span());
  return tail.Trim() == extension ? name.substr(0, name.size() - extension.size()) : name;
}

OutputNames FromStem(std::string_view stem) {
  const std::string base(stem);
  OutputNames names;
  names.asc = base + ".asc";
  names.ov2 = base + ".ov2";
  names.bmp = base + ".bmp";
  return names;
}

}  // namespace

OutputNames NamesFromInput(std::string_view chosenName) {
  return FromStem(StemBefore(Trimmed(chosenName), ".psp"));
}

OutputNames NamesFromSaveAs(std::string_view chosenName) {
  return FromStem(StemBefore(Trimmed(chosenName), ".ov2"));
}

}  // namespace qh
