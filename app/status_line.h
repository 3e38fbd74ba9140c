#pragma once
#include <QLabel>
#include <QRect>

namespace vantrel {

// The one-line status text of the main window: black text in the default font on an opaque
// white box, centred on the point (400, 300) of the window's top-left corner whatever the
// window's size, above everything else in the window. It stays until the next status text
// or until Clear() (the area under it got new content, such as a video frame).
class CStatusLine {
 public:
  explicit CStatusLine(QWidget* window);

  // Erases the previous text's rectangle, then shows `text` there (line breaks count, no wrap).
  void ShowStatusText(const QString& text);
  // The area under the text was repainted with new content: the text is gone from the screen.
  void Clear();

  // Where the last text was drawn, in client coordinates; empty before the first text.
  QRect Rect() const { return m_rect; }
  QString Text() const { return m_label->text(); }
  bool IsShown() const { return m_label->isVisible(); }

 private:
  QWidget* m_window;
  QLabel* m_label;  // owned by m_window
  QRect m_rect;
};

}  // namespace vantrel
