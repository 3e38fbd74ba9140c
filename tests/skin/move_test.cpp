#include <QtTest>

#include "skin/skin_button.h"
#include "tests/skin/recording_dialog.h"
#include "tests/skin/skin_test_support.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {
constexpr int kStep = CSkinBaseDialog::kMoveTimerId;
}

class MoveTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QTemporaryDir m_dir;
  QString m_base, m_panel, m_strip;

  // A 50 x 50 base, a 20 x 20 panel at (40, 0) reaching past it, and a button on the panel.
  struct Window {
    RecordingDialog d;
    CSkinBaseButton button;
    CSkinBaseDialog::CSkinBkPart* panel = nullptr;
    CSkinBaseDialog::CSkinBkPart* buttonPart = nullptr;
    Window(const QString& base, const QString& panelImage, const QString& strip, bool shaped = false) {
      d.AddBitmapPart(base, 16, 4, 0, false, 0, 0, -1, -1);
      panel = d.Part(d.AddBitmapPart(panelImage, 16, 4, 0, shaped, 40, 0, -1, -1));
      button.LoadImage(strip);
      button.Create(&d, 37845, 45, 5);
      buttonPart = d.Part(d.AddOwnerDrawControl(&button, 16, 4));
    }
  };

 private slots:
  void initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    m_base = SaveBmp(m_dir, "base.bmp", Filled(50, 50, qRgb(80, 80, 80)));
    m_panel = SaveBmp(m_dir, "panel.bmp", WithKeyCorners(20, 20, qRgb(0, 120, 0), 4));
    m_strip = SaveBmp(m_dir, "strip.bmp", Filled(20, 4, qRgb(200, 0, 0)));
    QVERIFY(!m_strip.isEmpty());
  }

  // 7 pixels move as five steps of 1 (the remainder is dropped), the window refitted at each step,
  // with one started and one finished notification.
  void sevenPixelsInFiveSteps() {
    Window w(m_base, m_panel, m_strip);
    QCOMPARE(w.d.size(), QSize(60, 50));
    QVERIFY(w.d.StartMove({w.panel, w.buttonPart}, 7, 0));
    QCOMPARE(w.d.started.size(), size_t{1});
    const auto& info = w.d.started[0];
    QCOMPARE(info.m_totalDx, 7);
    QCOMPARE(info.m_stepDx, 1);
    QCOMPARE(info.m_stepDy, 0);
    QCOMPARE(info.m_stepsDone, 0);
    QCOMPARE(info.m_timerId, 101);
    QCOMPARE(info.m_parts.size(), size_t{2});
    for (int step = 1; step <= 5; ++step) {
      QVERIFY(w.d.IsMoving());
      w.d.OnTimer(kStep);
      QCOMPARE(w.panel->Rect(), QRect(40 + step, 0, 20, 20));
      QCOMPARE(w.button.pos(), QPoint(45 + step, 5));
      QCOMPARE(w.d.size(), QSize(60 + step, 50));
      QCOMPARE(w.d.finished.size(), size_t{step == 5 ? 1u : 0u});
    }
    QVERIFY(!w.d.IsMoving());
    QCOMPARE(w.d.finished[0].m_stepsDone, 5);
    QCOMPARE(w.d.sizesAtFinish[0], QSize(65, 50));
    w.d.OnTimer(kStep);
    QCOMPARE(w.panel->Rect().x(), 45);

    // Steps truncate toward zero for negative distances too.
    QVERIFY(w.d.StartMove({w.panel}, -3, -9));
    QCOMPARE(w.d.started.back().m_stepDx, 0);
    QCOMPARE(w.d.started.back().m_stepDy, -1);
  }

  // While a slide runs a second one is refused, and other timers do not advance it.
  void oneSlideAtATime() {
    Window w(m_base, m_panel, m_strip);
    QVERIFY(w.d.StartMove({w.panel}, 50, 0));
    QVERIFY(!w.d.StartMove({w.panel}, -50, 0));
    QCOMPARE(w.d.started.size(), size_t{1});
    for (int id : {1, 2, 3, 100, 102}) w.d.OnTimer(id);
    QTimerEvent foreign(w.d.startTimer(60000));
    QCoreApplication::sendEvent(&w.d, &foreign);
    QCOMPARE(w.panel->Rect().x(), 40);
    for (int i = 0; i < 5; ++i) w.d.OnTimer(kStep);
    QCOMPARE(w.panel->Rect().x(), 90);
    QVERIFY(w.d.StartMove({w.panel}, -50, 0));
  }

  // The real timer runs the slide to its end; sliding back shrinks the window again, and the
  // window's shape follows the shaped panel.
  void timedSlideOutAndBack() {
    Window w(m_base, m_panel, m_strip, true);
    w.d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.d));
    QVERIFY(w.d.StartMove({w.panel, w.buttonPart}, 25, 0));
    QTRY_VERIFY_WITH_TIMEOUT(!w.d.IsMoving(), 20000);
    QCOMPARE(w.panel->Rect(), QRect(65, 0, 20, 20));
    QCOMPARE(w.d.size(), QSize(85, 50));
    QVERIFY(w.d.WindowRegion().contains(QPoint(75, 10)));
    QVERIFY(!w.d.WindowRegion().contains(QPoint(84, 0)));  // the panel's magenta corner
    QVERIFY(w.d.StartMove({w.panel, w.buttonPart}, -25, 0));
    QTRY_VERIFY_WITH_TIMEOUT(!w.d.IsMoving(), 20000);
    QCOMPARE(w.d.size(), QSize(60, 50));
    QCOMPARE(w.button.pos(), QPoint(45, 5));
    QCOMPARE(w.d.finished.size(), size_t{2});
  }

  // A window destroyed mid-slide takes its queued movement with it.
  void destroyedWhileSliding() {
    auto* w = new Window(m_base, m_panel, m_strip);
    w->d.show();
    QVERIFY(w->d.StartMove({w->panel}, 100, 0));
    w->d.OnTimer(kStep);
    delete w;
    QTest::qWait(100);
  }
};

QTEST_MAIN(MoveTest)
#include "move_test.moc"
