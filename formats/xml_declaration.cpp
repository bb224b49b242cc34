#include "formats/xml_declaration.h"

#include "formats/text_encoding.h"
#include "numeric/ascii.h"

namespace qh {

std::string_view DeclaredXmlEncoding(std::string_view document) {
  if (document.substr(0, 5) != "<?xml") return {};
  const std::size_t end = document.find("?>");
  if (end == std::string_view::npos) return {};
  const std::string_view declaration = document.substr(0, end);
  std::size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return {};
  at = declaration.find_first_of("\"'", at);
  if (at == std::string_view::npos) return {};
  const std::size_t close = declaration.find(declaration[at], at + 1);
  if (close == std::string_view::npos) return {};
  return declaration.substr(at + 1, close - at - 1);
}

bool XmlDocumentInUtf8(std::string_view document, std::string& utf8) {
  const std::string_view declared = DeclaredXmlEncoding(document);
  std::string name(declared);
  LowerAscii(name);
  const bool latin1 = name == "iso-8859-1" || name == "latin1";
  if (!latin1 && name != "windows-1252" && name != "cp1252") return false;
  // The declaration is ASCII; only its encoding's name changes.
  const std::size_t nameAt = static_cast<std::size_t>(declared.data() - document.data());
  utf8.assign(document.substr(0, nameAt));
  utf8 += "UTF-8";
  const std::string_view rest = document.substr(nameAt + declared.size());
  if (!latin1) {
    AppendUtf8FromWindows1252(utf8, rest);
    return true;
  }
  for (const char c : rest) AppendUtf8Character(utf8, static_cast<unsigned char>(c));
  return true;
}

}  // namespace qh
