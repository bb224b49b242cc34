// The encoding an XML document declares, for a parser that knows only UTF-8 and
// UTF-16 (Windows' XmlLite without the system's language library): a document in
// ISO-8859-1 or Windows-1252, which GPX files of older programs declare, is turned into
// UTF-8 before it is parsed, its declaration changed to say so. Lines stay where they
// are, so a parser's line numbers hold for the original.
#pragma once

#include <string>
#include <string_view>

namespace qh {

// The value of the encoding in the XML declaration that opens `document`; empty when
// there is no declaration or it names none.
std::string_view DeclaredXmlEncoding(std::string_view document);

// `document` in UTF-8 when it declares ISO-8859-1 or Windows-1252 (in any case);
// false, with `utf8` untouched, for any other document, which is parsed as it stands.
bool XmlDocumentInUtf8(std::string_view document, std::string& utf8);

}  // namespace qh
