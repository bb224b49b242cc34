// window_probe: tells an end-to-end case where a top-level window and its title-bar
// close box are, in desktop coordinates, so that a script can click the box like a
// person. xdotool sees only X windows; the frame and its caption buttons exist only
// inside Wine's virtual desktop, so the window itself has to be asked.
//
//   window_probe [--desktop NAME] (--title TEXT | --class NAME)
//
// Prints "key=value" lines on standard output:
//   window=0x...            the window handle
//   process=N               the Windows id of the process that owns it
//   visible=0|1             IsWindowVisible
//   foreground=0|1          1 when it is the active window that takes the keys
//   screen=W H              size of the desktop the window lives on
//   window_rect=L T R B     GetWindowRect
//   title_bar=L T R B       GetTitleBarInfo's caption rectangle
//   close_state=0x...       GetTitleBarInfo's state of the close button
//   close_box=L T R B       the close button (right and bottom exclusive)
//   close_hit=N             WM_NCHITTEST at the box's centre (20 is HTCLOSE)
//   close_covered=0|1       1 when another window lies over the box's centre
//   child=CLASS TEXT        each child window's class and text, line breaks as "|"
// Exit status: 0 found, 1 no such window, 2 usage or desktop error.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Index of the close button in TITLEBARINFO's state array.
constexpr int kCloseButton = 5;

void PrintRect(const char* key, const RECT& r) {
  std::printf("%s=%ld %ld %ld %ld\n", key, r.left, r.top, r.right, r.bottom);
}

// GetTitleBarInfo gives the caption but not its buttons (the rectangles came only with
// a later message that cannot be sent across processes here). The frame draws the
// close button at the right end of the caption, one caption button wide and high; the
// window's own hit test below confirms the guess.
RECT CloseBoxFromMetrics(const RECT& titleBar) {
  RECT box;
  box.right = titleBar.right;
  box.left = box.right - GetSystemMetrics(SM_CXSIZE);
  box.top = titleBar.top;
  box.bottom = box.top + GetSystemMetrics(SM_CYSIZE);
  return box;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  char name[64] = {}, text[2048] = {};
  GetClassNameA(child, name, sizeof name);
  // Across processes WM_GETTEXT is what a reader of another program's window gets.
  SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = '|';
  }
  std::printf("child=%s %s\n", name, text);
  return TRUE;
}

int Usage() {
  std::fprintf(stderr, "usage: window_probe [--desktop NAME] (--title TEXT | --class NAME)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string desktop, title, className;
  for (int i = 1; i < argc; ++i) {
    if (i + 1 >= argc) return Usage();
    if (!std::strcmp(argv[i], "--desktop")) desktop = argv[++i];
    else if (!std::strcmp(argv[i], "--title")) title = argv[++i];
    else if (!std::strcmp(argv[i], "--class")) className = argv[++i];
    else return Usage();
  }
  if (title.empty() == className.empty()) return Usage();

  // FindWindow looks only at the calling thread's desktop; a named virtual desktop is
  // another one than the one this console program starts on.
  if (!desktop.empty()) {
    HDESK handle = OpenDesktopA(desktop.c_str(), 0, FALSE, GENERIC_ALL);
    if (!handle || !SetThreadDesktop(handle)) {
      std::fprintf(stderr, "window_probe: cannot use the desktop '%s' (error %lu)\n",
                   desktop.c_str(), GetLastError());
      return 2;
    }
  }

  HWND window = FindWindowA(className.empty() ? nullptr : className.c_str(),
                            title.empty() ? nullptr : title.c_str());
  if (!window) {
    std::fprintf(stderr, "window_probe: no window %s '%s'\n", title.empty() ? "of class" : "titled",
                 title.empty() ? className.c_str() : title.c_str());
    return 1;
  }
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  std::printf("window=%p\nprocess=%lu\nvisible=%d\n", static_cast<void*>(window), process,
              IsWindowVisible(window) ? 1 : 0);
  std::printf("foreground=%d\n", GetForegroundWindow() == window);

  RECT desk{};
  GetWindowRect(GetDesktopWindow(), &desk);
  std::printf("screen=%ld %ld\n", desk.right - desk.left, desk.bottom - desk.top);

  RECT rect{};
  GetWindowRect(window, &rect);
  PrintRect("window_rect", rect);

  TITLEBARINFO info{};
  info.cbSize = sizeof info;
  if (!GetTitleBarInfo(window, &info)) {
    std::fprintf(stderr, "window_probe: GetTitleBarInfo failed (error %lu)\n", GetLastError());
    return 1;
  }
  PrintRect("title_bar", info.rcTitleBar);
  std::printf("close_state=0x%lx\n", info.rgstate[kCloseButton]);

  const RECT box = CloseBoxFromMetrics(info.rcTitleBar);
  PrintRect("close_box", box);

  // The window's own answer for the box's centre, the test that the box is right.
  DWORD_PTR hit = 0;
  const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
  if (!SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(cx, cy), SMTO_ABORTIFHUNG, 2000,
                           &hit))
    hit = static_cast<DWORD_PTR>(-1);
  std::printf("close_hit=%ld\n", static_cast<long>(hit));
  // A click goes to whatever window is on top there, not necessarily to this one.
  const POINT centre{cx, cy};
  std::printf("close_covered=%d\n", GetAncestor(WindowFromPoint(centre), GA_ROOT) != window);
  EnumChildWindows(window, PrintChild, 0);
  return 0;
}
