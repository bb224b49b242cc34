// The XML events from Windows' own parser, XmlLite. xmllite.dll is loaded when a
// document is parsed, so that the program starts without it; Windows has carried it
// since XP SP3 and Wine implements it.
#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <string>

#include "formats/xml_declaration.h"
#include "formats/xml_events.h"

namespace qh {
namespace {

using CreateXmlReaderCall = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// Releases a COM object at the end of its scope.
template <class T>
struct Held {
  T* object = nullptr;
  ~Held() {
    if (object != nullptr) object->Release();
  }
};

void AppendUtf8(std::string& out, const WCHAR* text, UINT length) {
  if (length == 0) return;
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                       nullptr, nullptr);
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(size));
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data() + start, size,
                      nullptr, nullptr);
}

// Walks the document's nodes and hands the elements and texts on.
class Walker {
 public:
  Walker(IXmlReader& reader, XmlHandler& handler) : reader_(reader), handler_(handler) {}

  HRESULT Run() {
    XmlNodeType type = XmlNodeType_None;
    HRESULT result = S_OK;
    while ((result = reader_.Read(&type)) == S_OK) {
      if (type == XmlNodeType_Element) {
        Element();
      } else if (type == XmlNodeType_EndElement) {
        handler_.End(Name());
      } else if ((type == XmlNodeType_Text || type == XmlNodeType_CDATA ||
                  type == XmlNodeType_Whitespace) &&
                 handler_.WantsText()) {
        handler_.Text(Value());
      }
    }
    return result;
  }

 private:
  void Element() {
    const bool empty = reader_.IsEmptyElement() != FALSE;
    const std::string name(Name());
    names_.clear();
    values_.clear();
    for (HRESULT more = reader_.MoveToFirstAttribute(); more == S_OK;
         more = reader_.MoveToNextAttribute()) {
      names_.push_back(std::string(Name()));
      values_.push_back(std::string(Value()));
    }
    reader_.MoveToElement();
    attributes_.clear();
    for (std::size_t i = 0; i < names_.size(); ++i) attributes_.emplace_back(names_[i], values_[i]);
    handler_.Start(name, attributes_);
    if (empty) handler_.End(name);
  }
  std::string_view Name() {
    const WCHAR* text = nullptr;
    UINT length = 0;
    text_.clear();
    if (SUCCEEDED(reader_.GetLocalName(&text, &length))) AppendUtf8(text_, text, length);
    return text_;
  }
  std::string_view Value() {
    const WCHAR* text = nullptr;
    UINT length = 0;
    text_.clear();
    if (SUCCEEDED(reader_.GetValue(&text, &length))) AppendUtf8(text_, text, length);
    return text_;
  }

  IXmlReader& reader_;
  XmlHandler& handler_;
  std::string text_;
  std::vector<std::string> names_, values_;
  XmlAttributes attributes_;
};

}  // namespace

bool ParseXml(std::string_view document, XmlHandler& handler, ContentError& error) {
  error = {};
  static const HMODULE library = LoadLibraryA("xmllite.dll");
  const auto create = library == nullptr ? nullptr
      : reinterpret_cast<CreateXmlReaderCall>(
            reinterpret_cast<void*>(GetProcAddress(library, "CreateXmlReader")));
  if (create == nullptr) {
    error.what = "xmllite.dll, the system's XML reader, is not available";
    return false;
  }
  Held<IXmlReader> reader;
  Held<IStream> stream;
  if (document.size() > 0xFFFFFFFFu ||
      FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader.object), nullptr))) {
    error.what = "the system's XML reader cannot take it";
    return false;
  }
  // XmlLite reads UTF-8 and UTF-16 alone: the single-byte encodings GPX files declare
  // are turned into UTF-8 first.
  std::string utf8;
  const std::string_view parsed = XmlDocumentInUtf8(document, utf8) ? std::string_view(utf8) : document;
  stream.object = SHCreateMemStream(reinterpret_cast<const BYTE*>(parsed.data()),
                                    static_cast<UINT>(parsed.size()));
  if (stream.object == nullptr) {
    error.what = "out of memory";
    return false;
  }
  reader.object->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  reader.object->SetInput(stream.object);
  const HRESULT result = Walker(*reader.object, handler).Run();
  if (result == S_FALSE) return true;  // the end of the document
  UINT line = 0;
  reader.object->GetLineNumber(&line);
  char code[16];
  wsprintfA(code, "0x%08lX", static_cast<unsigned long>(result));
  error.line = line;
  error.what = std::string("not well-formed XML (") + code + ")";
  return false;
}

// One thread, and the document read whole: XmlLite reads from a stream and tells no
// byte offsets to cut at, and single-byte encodings are turned into UTF-8 first.
bool ParseXmlInTwo(const XmlBytes& document, const XmlCut&, XmlHandler& first, XmlHandler&,
                   bool& secondUsed, ContentError& error) {
  secondUsed = false;
  if (document.size > 0xFFFFFFFFu) {
    error = {};
    error.what = "the system's XML reader cannot take it";
    return false;
  }
  std::string whole(static_cast<std::size_t>(document.size), '\0');
  std::size_t done = 0;
  while (done < whole.size()) {
    const std::ptrdiff_t got = document.read(done, whole.data() + done, whole.size() - done);
    if (got < 0) {
      error = {};
      error.what = "read failed";
      return false;
    }
    if (got == 0) break;  // a file that ends before its size said ends there
    done += static_cast<std::size_t>(got);
  }
  whole.resize(done);
  return ParseXml(whole, first, error);
}

}  // namespace qh
