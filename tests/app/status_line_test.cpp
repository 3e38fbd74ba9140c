#include <QDialog>
#include <QImage>
#include <QtTest>

#include "app/status_line.h"

using namespace vantrel;

// A plain window with the status line, as the main window carries it.
class StatusWindow : public QDialog {
 public:
  StatusWindow() : m_status(this) {}
  void ShowStatusText(const QString& text) { m_status.ShowStatusText(text); }
  const CStatusLine& StatusLine() const { return m_status; }

 private:
  CStatusLine m_status;
};

class StatusLineTest : public QObject {
  Q_OBJECT

 private slots:
  // A long then a short text: the second is centred on x = 400 even past the window's edges,
  // and nothing of the first is left on screen.
  void statusTextPlacement() {
    StatusWindow dlg;
    dlg.setStyleSheet("QDialog { background: rgb(0, 0, 128); }");
    dlg.resize(500, 500);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    const QString longText = QString("Идет передача данных... ").repeated(8);
    dlg.ShowStatusText(longText);
    const QRect first = dlg.StatusLine().Rect();
    // The reference point is measured from the window's outer corner, not the client area's.
    const QPoint frame = dlg.geometry().topLeft() - dlg.frameGeometry().topLeft();
    const int cx = 400 - frame.x(), cy = 300 - frame.y();
    QVERIFY(first.left() < 0);
    QVERIFY(first.right() > dlg.width());
    QVERIFY(qAbs((first.left() + first.right() + 1) / 2 - cx) <= 1);
    QVERIFY(qAbs((first.top() + first.bottom() + 1) / 2 - cy) <= 1);

    dlg.ShowStatusText("Готово.");
    const QRect second = dlg.StatusLine().Rect();
    QVERIFY(second.width() < first.width());
    QVERIFY(qAbs((second.left() + second.right() + 1) / 2 - cx) <= 1);
    QCOMPARE(dlg.StatusLine().Text(), QString("Готово."));

    const QImage shot = dlg.grab().toImage();
    // Inside the first text's place but outside the second's, only the background shows.
    for (int x = 0; x < std::min(shot.width(), second.left()) - 1; x += 3)
      QCOMPARE(shot.pixelColor(x, cy), QColor(0, 0, 128));
    QCOMPARE(shot.pixelColor(second.left() + 1, second.top() + 1).rgb() | 0, QColor(Qt::white).rgb());
  }

  // Two lines measure as two lines: the box is taller than one line and not as wide as both.
  void statusTextLineBreaks() {
    StatusWindow dlg;
    dlg.ShowStatusText("one");
    const int oneLine = dlg.StatusLine().Rect().height();
    dlg.ShowStatusText("one\ntwo");
    QVERIFY(dlg.StatusLine().Rect().height() >= 2 * oneLine - 2);
  }
};

QTEST_MAIN(StatusLineTest)
#include "status_line_test.moc"
