#include <QtTest>

#include "skin/skin_button.h"
#include "tests/skin/recording_dialog.h"
#include "tests/skin/skin_test_support.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// One colour per picture; the three columns past the fifth picture are never shown.
const QRgb kPictures[5] = {qRgb(10, 0, 0), qRgb(20, 0, 0), qRgb(30, 0, 0), qRgb(40, 0, 0), qRgb(50, 0, 0)};
const QRgb kBeyond = qRgb(0, 0, 250);

QImage Strip() {
  QImage strip = Filled(23, 3, kBeyond);
  for (int p = 0; p < 5; ++p)
    for (int x = 0; x < 4; ++x)
      for (int y = 0; y < 3; ++y) strip.setPixel(p * 4 + x, y, kPictures[p]);
  return strip;
}

// The picture a button shows on screen, told by its colour (-1: mixed or unknown).
int Shown(CSkinBaseButton& button) {
  const QImage shot = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
  int found = -1;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      int p = 0;
      while (p < 5 && shot.pixel(x, y) != kPictures[p]) ++p;
      if (p == 5 || (found != -1 && found != p)) return -1;
      found = p;
    }
  return found;
}

}  // namespace

class ButtonTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QTemporaryDir m_dir;
  QString m_strip;

  void Move(CSkinBaseButton& b, QPoint at, Qt::MouseButtons held) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(b.mapToGlobal(at)), Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &e);
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    m_strip = SaveBmp(m_dir, "strip.bmp", Strip());
    QVERIFY(!m_strip.isEmpty());
  }

  // Frame = width / 5 truncated; the button takes the frame's size and never shows the leftover
  // columns, even stretched.
  void frameFromStrip() {
    RecordingDialog dialog;
    CSkinBaseButton button;
    QVERIFY(button.LoadImage(m_strip));
    QCOMPARE(button.FrameWidth(), 4);
    QCOMPARE(button.FrameHeight(), 3);
    button.Create(&dialog, 500, 5, 6);
    QCOMPARE(button.geometry(), QRect(5, 6, 4, 3));
    QVERIFY(!button.isHidden());
    QCOMPARE(Shown(button), 0);
    button.setGeometry(5, 6, 12, 9);
    QCOMPARE(Shown(button), 0);
    button.SetToggleState(true);
    QCOMPARE(Shown(button), 1);
    button.setEnabled(false);
    QCOMPARE(Shown(button), 4);
  }

  // Hover shows picture 2 only when entered with the left button up; a button that is on shows 1.
  void hover() {
    RecordingDialog dialog;
    CSkinBaseButton button;
    button.LoadImage(m_strip);
    button.Create(&dialog, 500, 0, 0);
    Move(button, {1, 1}, Qt::LeftButton);
    QVERIFY(!button.IsHovered());
    QCOMPARE(Shown(button), 0);
    Move(button, {2, 1}, Qt::NoButton);
    QVERIFY(button.IsHovered());
    QCOMPARE(Shown(button), 2);
    button.SetToggleState(true);
    QCOMPARE(Shown(button), 1);
    button.SetToggleState(false);
    Move(button, {30, 30}, Qt::NoButton);
    QVERIFY(!button.IsHovered());
    QCOMPARE(Shown(button), 0);
    Move(button, {1, 1}, Qt::NoButton);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    QVERIFY(!button.IsHovered());
  }

  // Toggle mode flips the state before the command arrives; a release outside neither flips
  // nor commands; a plain button only commands.
  void clicksAndToggle() {
    RecordingDialog dialog;
    dialog.resize(100, 100);
    CSkinBaseButton toggle, plain;
    toggle.LoadImage(m_strip);
    toggle.Create(&dialog, 37844, 10, 10);
    toggle.SetToggleMode(true);
    dialog.AddOwnerDrawControl(&toggle, 16, 8);
    plain.LoadImage(m_strip);
    plain.Create(&dialog, 37836, 30, 10);
    dialog.AddOwnerDrawControl(&plain, 32, 4);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(2, 1));
    QVERIFY(toggle.GetToggleState());
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(2, 1));
    QVERIFY(!toggle.GetToggleState());
    QCOMPARE(dialog.commands, (std::vector<std::pair<int, bool>>{{37844, true}, {37844, false}}));

    QTest::mousePress(&toggle, Qt::LeftButton, {}, QPoint(2, 1));
    QVERIFY(toggle.isDown());
    QCOMPARE(toggle.CurrentPicture(), 1);
    QTest::mouseRelease(&toggle, Qt::LeftButton, {}, QPoint(40, 40));
    QVERIFY(!toggle.GetToggleState());
    QCOMPARE(dialog.commands.size(), size_t{2});

    QTest::mouseClick(&plain, Qt::LeftButton, {}, QPoint(1, 1));
    QVERIFY(!plain.GetToggleState());
    QCOMPARE(dialog.commands.back(), (std::pair<int, bool>{37836, false}));
  }

  // Keyboard focus shows picture 3; focus that only follows the window's activation leaves the
  // picture alone (an "on" button stays on after a dialog); disabling shows 4 even when focused.
  void focusAndDisabling() {
    RecordingDialog dialog;
    CSkinBaseButton button;
    button.LoadImage(m_strip);
    button.Create(&dialog, 500, 0, 0);
    button.SetToggleState(true);
    auto focus = [&](QEvent::Type type, Qt::FocusReason reason) {
      QFocusEvent event(type, reason);
      QCoreApplication::sendEvent(&button, &event);
    };
    focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCOMPARE(Shown(button), 3);
    button.SetToggleState(false);
    button.SetToggleState(true);
    focus(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    focus(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCOMPARE(Shown(button), 1);
    focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QCOMPARE(Shown(button), 3);
    button.setEnabled(false);
    QCOMPARE(Shown(button), 4);
  }

  // A strip that cannot be loaded leaves a zero-sized button that paints nothing.
  void missingStrip() {
    MessageRecorder messages;
    CSkinBaseButton button;
    QVERIFY(!button.LoadImage(m_dir.filePath("none.bmp")));
    QCOMPARE(messages.Take().first(), QString("Empty bitmap file"));
    QCOMPARE(button.sizeHint(), QSize(0, 0));
  }
};

QTEST_MAIN(ButtonTest)
#include "button_test.moc"
