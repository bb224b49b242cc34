// Tab fields with page dialogs. "[Tabs]" fills a tab field with labels and embeds one
// loaded dialog per tab as a page over the field's display area. A page stays one
// window for its whole life: the modal instance of its dialog borrows it and gives it
// back, so what the user typed on a page is kept whatever tab or instance shows it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "boxes.h"
#include "core/error_codes.h"
#include "resource_dialogs.h"
#include "services/dialogs.h"
#include "services/errors.h"

namespace qh::win {
namespace {

// The frame a dialog drops while it sits in another as a page.
constexpr DWORD kFrameStyles =
    WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_MODALFRAME;
constexpr DWORD kFrameExStyles = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE |
                                 WS_EX_STATICEDGE | WS_EX_APPWINDOW | WS_EX_TOOLWINDOW;

bool IsTabField(HWND h) {
  char name[32] = {};
  GetClassNameA(h, name, sizeof name);
  return lstrcmpiA(name, WC_TABCONTROLA) == 0;
}

TabField* TabFieldOf(LoadedDialog& d, int field) {
  for (TabField& f : d.tabs)
    if (f.field == field) return &f;
  return nullptr;
}

// The loaded dialog `id` if it is a page of `dialogId`.
LoadedDialog* PageOf(int dialogId, int id) {
  LoadedDialog* page = id != 0 ? DialogOfId(id) : nullptr;
  return page && page->pageOf == dialogId ? page : nullptr;
}

// The area a tab field leaves for its pages, in its dialog's client coordinates.
RECT DisplayArea(HWND tab) {
  RECT r{};
  GetWindowRect(tab, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(tab), reinterpret_cast<POINT*>(&r), 2);
  SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  return r;
}

// Loads the dialog a tab names as a page of `dialogId`: its id, or 0 when it cannot be.
int LoadPage(int dialogId, int pageId) {
  IDlLoad(pageId);  // reports a missing template or a full table itself
  LoadedDialog* page = DialogOfId(pageId);
  const LoadedDialog* host = DialogOfId(dialogId);
  if (!page || !host) return 0;
  // Not the dialog itself or one that holds it, and not a page of another dialog or a
  // dialog on the screen: the window would have to be in two places.
  if (page->hwnd == host->hwnd || IsChild(page->hwnd, host->hwnd) ||
      (page->pageOf != 0 && page->pageOf != dialogId) || page->shown) {
    IErReport(kErrInvalidTab);
    return 0;
  }
  if (page->pageOf == 0) {
    RECT r{};
    GetWindowRect(page->hwnd, &r);
    page->home = PageHome{GetWindowLongA(page->hwnd, GWL_STYLE), GetWindowLongA(page->hwnd, GWL_EXSTYLE),
                          r.right - r.left, r.bottom - r.top};
    page->pageOf = dialogId;
  }
  return pageId;
}

// Makes a page a frameless child of `host` covering the display area of `tab`, hidden.
void Embed(const LoadedDialog& page, HWND host, HWND tab) {
  const HWND w = page.hwnd;
  ShowWindow(w, SW_HIDE);
  const DWORD style = (static_cast<DWORD>(page.home.style) & ~kFrameStyles & ~WS_VISIBLE) | WS_CHILD | WS_CLIPSIBLINGS;
  // WS_EX_CONTROLPARENT lets the dialog manager step through the page's fields.
  const DWORD exStyle = (static_cast<DWORD>(page.home.exStyle) & ~kFrameExStyles) | WS_EX_CONTROLPARENT;
  SetWindowLongA(w, GWL_STYLE, static_cast<LONG>(style));
  SetWindowLongA(w, GWL_EXSTYLE, static_cast<LONG>(exStyle));
  if (GetAncestor(w, GA_PARENT) != host) SetParent(w, host);
  // Just above its tab field in the z-order: the field, clipping its siblings, does not
  // paint over the page, and the page's fields follow it in the tab order.
  const HWND above = GetWindow(tab, GW_HWNDPREV);
  UINT flags = SWP_NOACTIVATE | SWP_FRAMECHANGED;
  if (above == w) flags |= SWP_NOZORDER;
  const RECT area = DisplayArea(tab);
  SetWindowPos(w, above ? above : HWND_TOP, area.left, area.top, area.right - area.left,
               area.bottom - area.top, flags);
}

// Puts a page back where IDlLoad made it: under the drawing area, hidden, with its
// own frame and size.
void ReturnPage(LoadedDialog& page) {
  const HWND w = page.hwnd;
  const HWND area = Windows().slots[0].drawingArea;
  ShowWindow(w, SW_HIDE);
  if (page.home.style & WS_CHILD) {
    SetParent(w, area);
    SetWindowLongA(w, GWL_STYLE, page.home.style);
  } else {
    // Top-level again, owned by the root frame as a dialog created on the drawing area is.
    SetParent(w, nullptr);
    SetWindowLongA(w, GWL_STYLE, page.home.style);
    SetWindowLongPtrA(w, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(area ? GetAncestor(area, GA_ROOT) : nullptr));
  }
  SetWindowLongA(w, GWL_EXSTYLE, page.home.exStyle);
  SetWindowPos(w, nullptr, 0, 0, page.home.width, page.home.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  page.pageOf = 0;
}

void ReturnFieldPages(int dialogId, const TabField& field) {
  for (int id : field.pages)
    if (LoadedDialog* page = PageOf(dialogId, id)) ReturnPage(*page);
}

}  // namespace

void ApplyTabs(int dialogId, const TabEntry& entry) {
  LoadedDialog* d = DialogOfId(dialogId);
  const HWND tab = d ? GetDlgItem(d->hwnd, entry.field) : nullptr;
  if (!tab || !IsTabField(tab)) return;
  // A later entry for the same field takes the place of the earlier one.
  if (const TabField* earlier = TabFieldOf(*d, entry.field)) {
    ReturnFieldPages(dialogId, *earlier);
    std::erase_if(d->tabs, [&](const TabField& f) { return f.field == entry.field; });
  }
  SendMessageA(tab, TCM_DELETEALLITEMS, 0, 0);
  TabField field;
  field.field = entry.field;
  int selected = -1;
  for (const TabPage& p : entry.pages) {
    const int index = static_cast<int>(field.pages.size());
    std::string label = p.label;
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = label.data();
    SendMessageA(tab, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    field.pages.push_back(LoadPage(dialogId, p.dialogId));
    if (selected < 0 && p.dialogId == entry.selectDialog) selected = index;
  }
  SendMessageA(tab, TCM_SETCURSEL, static_cast<WPARAM>(std::max(selected, 0)), 0);
  d = DialogOfId(dialogId);  // loading the pages may have moved the table
  if (!d) return;
  d->tabs.push_back(std::move(field));
  PlacePages(d->hwnd, dialogId);
}

void PlacePages(HWND host, int dialogId) {
  LoadedDialog* d = DialogOfId(dialogId);
  if (!d) return;
  for (const TabField& f : d->tabs) {
    const HWND tab = GetDlgItem(host, f.field);
    if (!tab) continue;
    SetWindowLongA(tab, GWL_STYLE, GetWindowLongA(tab, GWL_STYLE) | WS_CLIPSIBLINGS);
    for (int id : f.pages)
      if (const LoadedDialog* page = PageOf(dialogId, id)) Embed(*page, host, tab);
    ShowSelectedPage(host, dialogId, f.field);
  }
}

void ShowSelectedPage(HWND host, int dialogId, int field) {
  LoadedDialog* d = DialogOfId(dialogId);
  const TabField* tabs = d ? TabFieldOf(*d, field) : nullptr;
  const HWND tab = GetDlgItem(host, field);
  if (!tabs || !tab) return;
  const LRESULT selected = SendMessageA(tab, TCM_GETCURSEL, 0, 0);
  HWND shown = nullptr;
  for (std::size_t i = 0; i < tabs->pages.size(); ++i) {
    const LoadedDialog* page = PageOf(dialogId, tabs->pages[i]);
    if (!page || GetParent(page->hwnd) != host) continue;
    if (static_cast<LRESULT>(i) == selected) {
      shown = page->hwnd;
    } else {
      ShowWindow(page->hwnd, SW_HIDE);
    }
  }
  if (shown) ShowWindow(shown, SW_SHOWNA);
}

void ReturnPages(int dialogId) {
  LoadedDialog* d = DialogOfId(dialogId);
  if (!d) return;
  for (const TabField& f : d->tabs) ReturnFieldPages(dialogId, f);
  d->tabs.clear();
}

}  // namespace qh::win
