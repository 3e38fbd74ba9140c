#include "tests/e2e/x_display.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <thread>

namespace vantrel::e2e {
namespace {
// A pause between input events, so that a double click is two clicks close together and the
// program sees presses and releases as a hand makes them.
void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Windows come and go while they are looked at (a dialog closing between the listing and the
// question about it); Xlib's default handler would end the test for that.
int IgnoreError(Display*, XErrorEvent*) { return 0; }
}  // namespace

XDisplay::XDisplay() : m_display(XOpenDisplay(nullptr)) { XSetErrorHandler(IgnoreError); }

XDisplay::~XDisplay() {
  if (m_display != nullptr) XCloseDisplay(m_display);
}

void XDisplay::Flush() { XSync(m_display, False); }

std::vector<XWindow> XDisplay::TopLevelWindows() const {
  std::vector<XWindow> windows;
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count) == 0) return windows;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(m_display, children[i], &attributes) == 0) continue;
    // Pop-up helpers (tool tips, menus) are override-redirect; the program's windows are not.
    if (attributes.map_state != IsViewable || attributes.override_redirect) continue;
    windows.push_back({children[i], QRect(attributes.x, attributes.y, attributes.width, attributes.height)});
  }
  if (children != nullptr) XFree(children);
  return windows;
}

QImage XDisplay::Grab(QRect area) const {
  const Window root = DefaultRootWindow(m_display);
  XWindowAttributes attributes;
  XGetWindowAttributes(m_display, root, &attributes);
  const QRect screen(0, 0, attributes.width, attributes.height);
  area = area.isNull() ? screen : area.intersected(screen);
  if (area.isEmpty()) return {};
  XImage* image = XGetImage(m_display, root, area.x(), area.y(), area.width(), area.height(), AllPlanes, ZPixmap);
  if (image == nullptr) return {};
  QImage shot(area.size(), QImage::Format_RGB32);
  for (int y = 0; y < area.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(shot.scanLine(y));
    for (int x = 0; x < area.width(); ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      line[x] = qRgb(int((pixel & image->red_mask) >> 16), int((pixel & image->green_mask) >> 8),
                     int(pixel & image->blue_mask));
    }
  }
  XDestroyImage(image);
  return shot;
}

void XDisplay::MoveMouse(QPoint at) {
  XTestFakeMotionEvent(m_display, -1, at.x(), at.y(), CurrentTime);
  Flush();
  Pause(150);
}

void XDisplay::Click(QPoint at, int count) {
  MoveMouse(at);
  for (int i = 0; i < count; ++i) {
    XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
    Flush();
    Pause(30);
    XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
    Flush();
    Pause(count > 1 ? 60 : 200);
  }
}

void XDisplay::RightClick(QPoint at) {
  MoveMouse(at);
  XTestFakeButtonEvent(m_display, 3, True, CurrentTime);
  Flush();
  Pause(30);
  XTestFakeButtonEvent(m_display, 3, False, CurrentTime);
  Flush();
  Pause(200);
}

void XDisplay::Close(unsigned long window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(m_display, window, False, NoEventMask, &event);
  Flush();
  Pause(200);
}

void XDisplay::Key(const char* keysymName) {
  const KeyCode code = XKeysymToKeycode(m_display, XStringToKeysym(keysymName));
  if (code == 0) return;
  XTestFakeKeyEvent(m_display, code, True, CurrentTime);
  XTestFakeKeyEvent(m_display, code, False, CurrentTime);
  Flush();
  Pause(50);
}

void XDisplay::Type(const std::string& text) {
  for (const char c : text) {
    const std::string name = c == '.'   ? "period"
                             : c == '-' ? "minus"
                             : c == '_' ? "underscore"
                             : c == '/' ? "slash"
                                        : std::string(1, c);
    const KeySym sym = XStringToKeysym(name.c_str());
    const KeyCode code = XKeysymToKeycode(m_display, sym);
    if (code == 0) continue;
    // Upper case and "_" are the shifted symbols of their keys.
    const bool shifted = XkbKeycodeToKeysym(m_display, code, 0, 0) != sym;
    const KeyCode shift = XKeysymToKeycode(m_display, XK_Shift_L);
    if (shifted) XTestFakeKeyEvent(m_display, shift, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    if (shifted) XTestFakeKeyEvent(m_display, shift, False, CurrentTime);
    Flush();
    Pause(20);
  }
}

}  // namespace vantrel::e2e
