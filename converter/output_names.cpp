#include "converter/output_names.h"

#include <string>

#include "services/os.h"

namespace qh {

namespace {

// The stem followed by each extension; `dot` is "." when the stem lacks its own.
OutputNames FromStem(std::string_view stem, std::string_view dot = "") {
  const std::string base = std::string(stem) + std::string(dot);
  OutputNames names;
  names.asc = base + "asc";
  names.ov2 = base + "ov2";
  names.bmp = base + "bmp";
  return names;
}

}  // namespace

OutputNames NamesFromInput(std::string_view chosenName) {
  FixedText<256> lower(chosenName);
  ITextLower(lower.Span());
  const std::size_t dot = lower.View().find(".psp");
  const std::size_t k = dot == std::string_view::npos ? 0 : dot + 1;
  return FromStem(chosenName.substr(0, k));
}

OutputNames NamesFromSaveAs(std::string_view chosenName) {
  const std::string_view name = Trimmed(chosenName);
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return FromStem(name, ".");
  OutputNames names = FromStem(name.substr(0, dot + 1));
  names.ov2 = name;
  return names;
}

}  // namespace qh
