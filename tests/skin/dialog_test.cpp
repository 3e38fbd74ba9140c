#include <QLabel>
#include <QtTest>

#include "skin/skin_button.h"
#include "tests/skin/recording_dialog.h"
#include "tests/skin/skin_test_support.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {
const QRgb kBlue = qRgb(0, 0, 200);
const QRgb kGrey = qRgb(90, 90, 90);
const QRgb kRed = qRgb(200, 0, 0);
const QRgb kGreen = qRgb(0, 160, 0);
}  // namespace

class DialogTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QTemporaryDir m_dir;
  QString m_round, m_base, m_red, m_green, m_big, m_strip;

  static void Show(QWidget& w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    m_round = SaveBmp(m_dir, "round.bmp", WithKeyCorners(40, 30, kBlue, 6));
    m_base = SaveBmp(m_dir, "base.bmp", Filled(100, 100, kGrey));
    m_red = SaveBmp(m_dir, "red.bmp", Filled(10, 10, kRed));
    m_green = SaveBmp(m_dir, "green.bmp", Filled(30, 30, kGreen));
    m_big = SaveBmp(m_dir, "big.bmp", Filled(60, 60, kGrey));
    m_strip = SaveBmp(m_dir, "strip.bmp", Filled(20, 4, kRed));
    QVERIFY(!m_strip.isEmpty());
  }

  // A shaped part with magenta corners shapes the window; a control part never does; clicks on
  // key pixels hit no part and start no drag.
  void shapeAndHitTest() {
    RecordingDialog d;
    const int part = d.AddBitmapPart(m_round, 16, 4, CSkinBaseDialog::kHitMove, true, 0, 0, 500, 500);
    QCOMPARE(d.Part(part)->Rect(), QRect(0, 0, 40, 30));  // shaped: the image's size whatever asked
    QCOMPARE(d.size(), QSize(40, 30));
    QLabel label(&d);
    label.setGeometry(100, 100, 20, 10);
    d.AddControlPart(&label, 16, 4);
    d.UpdateLayout(true, false);
    QCOMPARE(d.size(), QSize(40, 30));
    QVERIFY(!d.WindowRegion().contains(QPoint(0, 0)));
    QVERIFY(!d.WindowRegion().contains(QPoint(39, 29)));
    QVERIFY(d.WindowRegion().contains(QPoint(20, 15)));
    QVERIFY(!d.WindowRegion().contains(QPoint(105, 105)));
    if (QGuiApplication::platformName() == "xcb") QCOMPARE(d.mask(), d.WindowRegion());
    QCOMPARE(d.HitTestPart({0, 0}), -1);
    QCOMPARE(d.HitTestPart({20, 15}), part);

    d.Mouse(QEvent::MouseButtonPress, {1, 1}, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(!d.IsDragging());
    d.Mouse(QEvent::MouseButtonPress, {20, 15}, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(d.IsDragging());
    d.Mouse(QEvent::MouseButtonRelease, {20, 15}, Qt::NoButton, Qt::LeftButton);
    QVERIFY(!d.IsDragging());

    // Key pixels stay fully transparent in the composed picture, never magenta.
    d.ComposeBackground(d.rect());
    QCOMPARE(qAlpha(d.Buffer().pixel(0, 0)), 0);
    QCOMPARE(d.Buffer().pixel(20, 15), kBlue);
  }

  // Rectangles: -1 takes the image's size; a missing image is 0 x 0 and a shaped one gives no region.
  void partRectangles() {
    MessageRecorder messages;
    RecordingDialog d;
    const int a = d.AddBitmapPart(m_red, 16, 4, 0, false, 5, 5, -1, -1);
    const int b = d.AddBitmapPart(m_red, 16, 4, 0, false, 5, 20, 50, -1);
    QCOMPARE(d.Part(a)->Rect(), QRect(5, 5, 10, 10));
    QCOMPARE(d.Part(b)->Rect(), QRect(5, 20, 45, 10));
    QCOMPARE(d.size(), QSize(45, 25));  // the bounds' size; the bounds start at (5, 5)
    const QString missing = m_dir.filePath("missing.bmp");
    const int c = d.AddBitmapPart(missing, 16, 4, CSkinBaseDialog::kHitMove, true, 7, 7, -1, -1);
    QCOMPARE(messages.Take(), QStringList({"Empty bitmap file", missing}));
    QCOMPARE(d.Part(c)->Rect().size(), QSize(0, 0));
    QVERIFY(d.GetPartRegion(d.Part(c), false).isEmpty());
    QCOMPARE(d.HitTestPart({7, 7}), a);
  }

  // A part that only moved has its cached region moved; a resized one gets its new rectangle.
  void regionCache() {
    RecordingDialog d;
    const int round = d.AddBitmapPart(m_round, 16, 4, 0, true, 0, 0, -1, -1);
    const int plain = d.AddBitmapPart(m_red, 16, 4, 0, false, 50, 0, -1, -1);
    const QRegion before = d.GetPartRegion(d.Part(round), false);
    d.SetPartRect(d.Part(round), false, 7, 3, 47, 33);
    QCOMPARE(d.GetPartRegion(d.Part(round), false), before.translated(7, 3));
    d.SetPartRect(d.Part(round), false, 0, 0, 90, 90);  // shaped: stays the image's size
    QCOMPARE(d.GetPartRegion(d.Part(round), false), before);
    d.SetPartRect(d.Part(plain), false, 50, 0, 80, 5);
    QCOMPARE(d.GetPartRegion(d.Part(plain), false), QRegion(50, 0, 30, 5));
  }

  // A size change moves stretch, follow and stay parts by their anchors; a minimise changes nothing.
  void anchoredResize() {
    RecordingDialog d;
    const int base = d.AddBitmapPart(m_base, 2, 2, 0, false, 0, 0, -1, -1);
    const int follow = d.AddBitmapPart(m_red, 32, 8, 0, false, 80, 80, -1, -1);
    const int stay = d.AddBitmapPart(m_red, 16, 4, 0, false, 5, 5, -1, -1);
    QLabel label(&d);
    label.setGeometry(60, 10, 20, 10);
    d.AddControlPart(&label, 32, 4);
    CSkinBaseButton button;
    button.LoadImage(m_strip);
    button.Create(&d, 1, 50, 85);
    d.AddOwnerDrawControl(&button, 16, 8);
    Show(d);
    d.resize(150, 130);
    QCOMPARE(d.Part(base)->Rect(), QRect(0, 0, 150, 130));
    QCOMPARE(d.Part(follow)->Rect(), QRect(130, 110, 10, 10));
    QCOMPARE(d.Part(stay)->Rect(), QRect(5, 5, 10, 10));
    QCOMPARE(label.geometry(), QRect(110, 10, 20, 10));
    QCOMPARE(button.geometry(), QRect(50, 115, 4, 4));
    QCOMPARE(d.WindowRegion(), QRegion(0, 0, 150, 130));
    d.OnSize(0, 0);
    QCOMPARE(d.Part(base)->Rect(), QRect(0, 0, 150, 130));
    QCOMPARE(d.WindowRegion(), QRegion(0, 0, 150, 130));
  }

  // Held to the minimum size, the dragged edge gives way and the other stays put.
  void dragRectangle() {
    const QRect start(100, 100, 200, 150);
    const QSize min(80, 70);
    using D = CSkinBaseDialog;
    QCOMPARE(D::DragRect(start, D::kHitLeft, {190, 0}, min), QRect(220, 100, 80, 150));
    QCOMPARE(D::DragRect(start, D::kHitTop, {0, 140}, min), QRect(100, 180, 200, 70));
    QCOMPARE(D::DragRect(start, D::kHitRight, {-190, 0}, min), QRect(100, 100, 80, 150));
    QCOMPARE(D::DragRect(start, D::kHitBottom | D::kHitRight, {-500, -500}, min), QRect(100, 100, 80, 70));
    QCOMPARE(D::DragRect(start, D::kHitLeft | D::kHitTop, {-10, -10}, min), QRect(90, 90, 210, 160));
    QCOMPARE(D::DragRect(start, D::kHitMove, {10, 20}, QSize(500, 500)), QRect(110, 120, 200, 150));
  }

  // Dragging the bottom-right corner resizes down to the window's minimum and re-anchors parts;
  // dragging a move part moves the window without touching the parts.
  void dragging() {
    RecordingDialog d;
    d.minTrackSize = {80, 70};
    const int mover = d.AddBitmapPart(m_red, 16, 4, CSkinBaseDialog::kHitMove, false, 0, 0, -1, -1);
    const int corner = d.AddBitmapPart(m_red, 32, 8, CSkinBaseDialog::kHitRight | CSkinBaseDialog::kHitBottom,
                                       false, 90, 90, -1, -1);
    const int base = d.AddBitmapPart(m_base, 2, 2, 0, false, 0, 0, -1, -1);
    Show(d);
    d.move(200, 150);
    QCOMPARE(d.geometry(), QRect(200, 150, 100, 100));

    d.Mouse(QEvent::MouseButtonPress, {95, 95}, Qt::LeftButton, Qt::LeftButton);
    d.Mouse(QEvent::MouseMove, {55, 55}, Qt::LeftButton);
    QCOMPARE(d.geometry(), QRect(200, 150, 80, 70));
    QCOMPARE(d.Part(corner)->Rect(), QRect(70, 60, 10, 10));
    QCOMPARE(d.Part(base)->Rect(), QRect(0, 0, 80, 70));
    d.Mouse(QEvent::MouseMove, {125, 135}, Qt::LeftButton);
    QCOMPARE(d.geometry(), QRect(200, 150, 130, 140));
    QCOMPARE(d.Part(corner)->Rect(), QRect(120, 130, 10, 10));
    d.Mouse(QEvent::MouseButtonRelease, {125, 135}, Qt::NoButton, Qt::LeftButton);

    d.Mouse(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    d.Mouse(QEvent::MouseMove, {35, 25}, Qt::LeftButton);
    QCOMPARE(d.geometry(), QRect(230, 170, 130, 140));
    QCOMPARE(d.Part(mover)->Rect(), QRect(0, 0, 10, 10));
    QCOMPARE(d.Part(base)->Rect(), QRect(0, 0, 130, 140));
    d.Mouse(QEvent::MouseButtonRelease, {5, 5}, Qt::NoButton, Qt::LeftButton);
    QVERIFY(!d.IsDragging());
  }

  // The part under the pointer picks the sizing cursor.
  void cursors() {
    using D = CSkinBaseDialog;
    RecordingDialog d;
    d.AddBitmapPart(m_red, 16, 4, D::kHitTop, false, 40, 0, -1, -1);
    d.AddBitmapPart(m_red, 16, 4, D::kHitRight, false, 90, 40, -1, -1);
    d.AddBitmapPart(m_red, 16, 4, D::kHitRight | D::kHitBottom, false, 90, 90, -1, -1);
    d.AddBitmapPart(m_red, 16, 4, D::kHitLeft | D::kHitBottom, false, 0, 90, -1, -1);
    d.AddBitmapPart(m_red, 16, 4, D::kHitMove, false, 0, 0, -1, -1);
    d.AddBitmapPart(m_base, 2, 2, 0, false, 0, 0, -1, -1);
    const std::vector<std::pair<QPoint, Qt::CursorShape>> expected = {
        {{45, 5}, Qt::SizeVerCursor},  {{95, 45}, Qt::SizeHorCursor}, {{95, 95}, Qt::SizeFDiagCursor},
        {{5, 95}, Qt::SizeBDiagCursor}, {{5, 5}, Qt::ArrowCursor},    {{50, 50}, Qt::ArrowCursor}};
    for (const auto& [at, shape] : expected) {
      d.Mouse(QEvent::MouseMove, at, Qt::NoButton);
      QCOMPARE(d.cursor().shape(), shape);
    }
  }

  // Overlapping parts are cut out of a part's painting; only the dirty area is recomposed;
  // owner-drawn buttons are part of the composed picture.
  void composition() {
    RecordingDialog d;
    const int frame = d.AddBitmapPart(m_big, 16, 4, 0, false, 0, 0, -1, -1);
    const int panel = d.AddBitmapPart(m_green, 16, 4, 0, false, 45, 45, -1, -1);
    QCOMPARE(d.size(), QSize(75, 75));
    d.ComposeBackground(d.rect());
    QCOMPARE(d.Buffer().pixel(50, 50), kGreen);
    QCOMPARE(qAlpha(d.Buffer().pixel(70, 10)), 0);
    d.Part(panel)->SetOverlaps({d.Part(frame)});
    d.ComposeBackground(d.rect());
    QCOMPARE(d.Buffer().pixel(50, 50), kGrey);
    QCOMPARE(d.Buffer().pixel(70, 70), kGreen);

    d.Part(panel)->SetOverlaps({});
    d.ComposeBackground(d.rect());
    d.SetPartRect(d.Part(panel), false, 0, 0, -1, -1);
    d.ComposeBackground(QRect(0, 0, 20, 20));
    QCOMPARE(d.Buffer().pixel(5, 5), kGreen);
    QCOMPARE(d.Buffer().pixel(50, 50), kGreen);  // outside the dirty area: as composed before
    d.ComposeBackground(d.rect());
    QCOMPARE(d.Buffer().pixel(50, 50), kGrey);
    QCOMPARE(qAlpha(d.Buffer().pixel(70, 70)), 0);

    CSkinBaseButton button;
    button.LoadImage(m_strip);
    button.Create(&d, 1, 40, 40);
    d.AddOwnerDrawControl(&button, 16, 4);
    d.ComposeBackground(d.rect());
    QCOMPARE(d.Buffer().pixel(41, 41), kRed);
    button.hide();
    d.ComposeBackground(d.rect());
    QCOMPARE(d.Buffer().pixel(41, 41), kGrey);
  }

  // A missing background leaves the window its own size, unshaped, and its buttons in place.
  void missingBackground() {
    MessageRecorder messages;
    RecordingDialog d;
    d.resize(300, 200);
    d.AddBitmapPart(m_dir.filePath("gone.bmp"), 32, 8, CSkinBaseDialog::kHitMove, true, 0, 0, -1, -1);
    QCOMPARE(messages.Take().size(), 2);
    CSkinBaseButton ok;
    ok.LoadImage(m_strip);
    ok.Create(&d, 38000, 40, 135);
    d.AddOwnerDrawControl(&ok, 16, 8);
    Show(d);
    d.resize(320, 210);
    QCOMPARE(d.size(), QSize(320, 210));
    QCOMPARE(ok.pos(), QPoint(40, 135));
    QVERIFY(d.WindowRegion().isEmpty());
  }
};

QTEST_MAIN(DialogTest)
#include "dialog_test.moc"
