// Text output and clearing, straight into the drawing area's held device context.
#include <windows.h>

#include <string>

#include "core/drawing_units.h"
#include "layer_state.h"
#include "services/window.h"

namespace qh {

namespace win {

COLORREF ColourOf(int index) {
  const DrawingState& d = Drawing();
  const COLORREF c = d.colours[static_cast<std::size_t>(index) % kColourCount];
  // On a palette display the nearest palette colour is used.
  return d.paletteDisplay ? (c | 0x02000000) : c;
}

// The font for the current settings: family 0 is the stock proportional font; any
// other font is made anew only when the settings differ from the last one made.
HFONT CurrentFont() {
  DrawingState& d = Drawing();
  if (d.fontFamily == 0) return static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  if (d.font && d.fontMadeFamily == d.fontFamily && d.fontMadeWeight == d.fontWeight &&
      d.fontMadeItalic == d.fontItalic && d.fontMadeSize == d.fontSize)
    return d.font;
  static const char* const kFaces[] = {nullptr, nullptr, "Times New Roman", "Arial",
                                       "Courier New", "Symbol", "Wingdings"};
  if (d.font) DeleteObject(d.font);
  if (d.fontFamily == 1) {
    d.font = nullptr;
    d.fontMadeFamily = -1;
    return static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
  }
  const char* face = d.fontFamily >= 2 && d.fontFamily <= 6 ? kFaces[d.fontFamily] : nullptr;
  if (!face) return static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  const BYTE charset = d.fontFamily >= 5 ? SYMBOL_CHARSET : ANSI_CHARSET;
  d.font = CreateFontA(-d.fontSize, 0, 0, 0, d.fontWeight, d.fontItalic, FALSE, FALSE, charset,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
  d.fontMadeFamily = d.fontFamily;
  d.fontMadeWeight = d.fontWeight;
  d.fontMadeItalic = d.fontItalic;
  d.fontMadeSize = d.fontSize;
  return d.font ? d.font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

// TextOutA would read the bytes in the font's own code page (Windows-1252 for
// ANSI_CHARSET) whatever the program's code page is; the program's texts are in its
// code page (UTF-8 by its manifest), so they are turned into UTF-16 with it. Empty for
// symbol fonts, which take their bytes as glyph numbers, and for what does not convert.
std::wstring DrawnCharacters(std::string_view text) {
  const int n = static_cast<int>(text.size());
  const bool symbols = Drawing().fontFamily >= 5;
  const int wide = symbols ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), n, buffer.data(), wide);
  return buffer;
}

// Draws at the current position.
void TextAtCurrentPosition(HDC dc, std::string_view text) {
  const std::wstring wide = DrawnCharacters(text);
  if (wide.empty()) {
    TextOutA(dc, 0, 0, text.data(), static_cast<int>(text.size()));
    return;
  }
  TextOutW(dc, 0, 0, wide.data(), static_cast<int>(wide.size()));
}

}  // namespace win

void IWnClear() {
  win::DrawingState& d = win::Drawing();
  if (!win::Windows().rootOpen || !d.dc) return;
  HBRUSH brush = CreateSolidBrush(win::ColourOf(d.background));
  HGDIOBJ oldBrush = SelectObject(d.dc, brush);
  HGDIOBJ oldPen = SelectObject(d.dc, GetStockObject(NULL_PEN));
  const int oldRop = SetROP2(d.dc, R2_COPYPEN);
  // A rectangle without outline stops one pixel short: (w + 1, h + 1) covers it all.
  Rectangle(d.dc, 0, 0, d.width + 1, d.height + 1);
  SetROP2(d.dc, oldRop);
  SelectObject(d.dc, oldPen);
  SelectObject(d.dc, oldBrush);
  DeleteObject(brush);
}

void IWnOutText(int x, int y, std::string_view text) {
  win::DrawingState& d = win::Drawing();
  if (!win::Windows().rootOpen || !d.dc) return;
  if (text.empty()) {
    d.textX = x;
    d.textY = y;
    return;
  }
  const int px = UnitsToPixels(x, d.width);
  const int py = UnitsToPixels(y, d.height);
  HGDIOBJ oldFont = SelectObject(d.dc, win::CurrentFont());
  const UINT oldAlign = SetTextAlign(d.dc, TA_LEFT | TA_BASELINE | TA_UPDATECP);
  const int oldMode = SetBkMode(d.dc, OPAQUE);
  const COLORREF oldText = SetTextColor(d.dc, win::ColourOf(d.foreground));
  const COLORREF oldBack = SetBkColor(d.dc, win::ColourOf(d.background));
  POINT oldPos{};
  MoveToEx(d.dc, px, py, &oldPos);
  win::TextAtCurrentPosition(d.dc, text);
  POINT end{};
  GetCurrentPositionEx(d.dc, &end);
  if (d.underline) {
    HPEN pen = CreatePen(PS_SOLID, 1, win::ColourOf(d.foreground));
    HGDIOBJ oldPen = SelectObject(d.dc, pen);
    MoveToEx(d.dc, px, py + 2, nullptr);
    LineTo(d.dc, end.x, py + 2);
    SelectObject(d.dc, oldPen);
    DeleteObject(pen);
  }
  MoveToEx(d.dc, oldPos.x, oldPos.y, nullptr);
  SetBkColor(d.dc, oldBack);
  SetTextColor(d.dc, oldText);
  SetBkMode(d.dc, oldMode);
  SetTextAlign(d.dc, oldAlign);
  SelectObject(d.dc, oldFont);
  d.textX = PixelsToUnits(end.x, d.width);
  d.textY = PixelsToUnits(end.y, d.height);
}

int IWnTextWidth(std::string_view text) {
  const win::DrawingState& d = win::Drawing();
  if (!win::Windows().rootOpen || !d.dc || text.empty()) return 0;
  HGDIOBJ oldFont = SelectObject(d.dc, win::CurrentFont());
  SIZE size{};
  // Measured as TextAtCurrentPosition draws it.
  const std::wstring wide = win::DrawnCharacters(text);
  if (wide.empty()) {
    GetTextExtentPoint32A(d.dc, text.data(), static_cast<int>(text.size()), &size);
  } else {
    GetTextExtentPoint32W(d.dc, wide.data(), static_cast<int>(wide.size()), &size);
  }
  SelectObject(d.dc, oldFont);
  return PixelsToUnits(size.cx, d.width);
}

}  // namespace qh
