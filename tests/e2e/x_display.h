#pragma once
// The test's hands and eyes on a real X server: the top-level windows on it, what the screen
// shows, and mouse and keyboard input sent as if a user made it (XTest).
#include <QImage>
#include <QPoint>
#include <QRect>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace vantrel::e2e {

struct XWindow {
  unsigned long id;
  QRect rect;  // on the screen
};

class XDisplay {
 public:
  // Connects to $DISPLAY; Connected() says whether that worked.
  XDisplay();
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  bool Connected() const { return m_display != nullptr; }

  // The mapped top-level windows in stacking order (bottom first).
  std::vector<XWindow> TopLevelWindows() const;
  // What the screen shows now in `area` (the part of it on the screen), or all of it.
  QImage Grab(QRect area = {}) const;

  void Click(QPoint at, int count = 1);
  // A click of the right button, which opens context menus.
  void RightClick(QPoint at);
  void MoveMouse(QPoint at);
  // Types letters, digits and the punctuation of file names on a US keyboard map.
  void Type(const std::string& text);
  // Presses and releases one key, named as X names key symbols ("Return", "Escape").
  void Key(const char* keysymName);
  // Asks `window` to close as a window manager's close button does (WM_DELETE_WINDOW).
  void Close(unsigned long window);

 private:
  void Flush();
  Display* m_display = nullptr;
};

}  // namespace vantrel::e2e
