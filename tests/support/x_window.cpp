// A small X client for the tests that run the real program, doing what
// xdotool cannot:
//
//   x_window close WINDOW  asks WINDOW (a decimal or 0x-hex id) to close, as a
//                          window manager's close button does: a
//                          WM_DELETE_WINDOW client message. The window's owner
//                          decides what happens next.
//   x_window find TITLE    prints the id of every viewable top-level window
//                          titled exactly TITLE, one a line; fails if none.
//   x_window watch [TITLE...]
//                          prints "mapped <id> <title>" for every top-level
//                          window mapped on the display, until killed, and
//                          asks each one titled exactly one of TITLE to close
//                          as soon as it is mapped; it prints "watching" once
//                          it cannot miss one.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

// A window may go away between its event and our questions about it.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

std::string TitleOf(Display* display, Window window) {
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr && type == utf8) {
    title.assign(reinterpret_cast<char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  if (!title.empty()) return title;
  char* name = nullptr;
  if (XFetchName(display, window, &name) && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

void AskToClose(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
}

int Close(Display* display, const char* id) {
  char* end = nullptr;
  const unsigned long window = std::strtoul(id, &end, 0);
  if (end == id || *end != '\0' || window == 0) {
    std::fprintf(stderr, "x_window: not a window id: '%s'\n", id);
    return 2;
  }
  AskToClose(display, window);
  return 0;
}

int Find(Display* display, const std::string& title) {
  XSetErrorHandler(IgnoreErrors);
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    return 1;
  }
  int found = 0;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes)) continue;
    if (attributes.map_state != IsViewable || TitleOf(display, children[i]) != title) continue;
    std::printf("%lu\n", children[i]);
    ++found;
  }
  if (children != nullptr) XFree(children);
  return found > 0 ? 0 : 1;
}

int Watch(Display* display, const std::set<std::string>& toClose) {
  XSetErrorHandler(IgnoreErrors);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  std::printf("watching\n");
  std::fflush(stdout);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != MapNotify) continue;
    const Window window = event.xmap.window;
    const std::string title = TitleOf(display, window);
    std::printf("mapped 0x%lx %s\n", window, title.c_str());
    std::fflush(stdout);
    if (toClose.count(title) > 0) AskToClose(display, window);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
  const bool find = argc == 3 && std::strcmp(argv[1], "find") == 0;
  const bool watch = argc >= 2 && std::strcmp(argv[1], "watch") == 0;
  if (!close && !find && !watch) {
    std::fprintf(stderr, "usage: x_window close WINDOW | find TITLE | watch [TITLE...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "x_window: cannot open the display\n");
    return 1;
  }
  const int status = close  ? Close(display, argv[2])
                     : find ? Find(display, argv[2])
                            : Watch(display, std::set<std::string>(argv + 2, argv + argc));
  XCloseDisplay(display);
  return status;
}
