#include <QFile>
#include <QPainter>
#include <QtTest>
#include <sstream>

#include "skin/dib.h"
#include "tests/skin/bmp_builder.h"
#include "tests/skin/skin_test_support.h"

using namespace vantrel;
using namespace vantrel::test;

class DibTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_config;
  QTemporaryDir m_dir;

  QString WriteRaw(const QString& name, const std::vector<uint8_t>& bytes) {
    QFile f(m_dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return f.fileName();
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    QVERIFY(m_dir.isValid());
  }

  // A missing or empty file: "Empty bitmap file", then the path, and false.
  void missingAndEmptyFiles() {
    MessageRecorder messages;
    CDib dib;
    const QString missing = m_dir.filePath("missing.bmp");
    QVERIFY(!dib.LoadMapped(missing));
    QCOMPARE(messages.Take(), QStringList({"Empty bitmap file", missing}));
    const QString empty = WriteRaw("empty.bmp", {});
    QVERIFY(!dib.LoadMapped(empty));
    QCOMPARE(messages.Take(), QStringList({"Empty bitmap file", empty}));
    QCOMPARE(dib.GetSize(), QSize(0, 0));
    QVERIFY(!dib.CreateRegion().has_value());
  }

  // Malformed files are "Invalid bitmap file" and leave the image loaded before in place.
  void malformedFilesKeepThePreviousImage() {
    MessageRecorder messages;
    const std::vector<uint8_t> good = Bmp24(4, 3, std::vector<uint32_t>(12, 0x336699));
    CDib dib;
    QVERIFY(dib.LoadMapped(WriteRaw("good.bmp", good)));
    auto patched = [&](size_t at, uint8_t value) {
      std::vector<uint8_t> v = good;
      v[at] = value;
      return v;
    };
    // The format checks themselves are covered without Qt; here: the message and the kept image.
    const std::vector<std::vector<uint8_t>> corpus = {
        patched(0, 'X'),                                     // bad magic
        std::vector<uint8_t>(good.begin(), good.end() - 1),  // truncated pixels
        patched(25, 0x7F),                                   // absurd height
    };
    int n = 0;
    for (const auto& bytes : corpus) {
      QVERIFY2(!dib.LoadMapped(WriteRaw(QString("bad%1.bmp").arg(n), bytes)), qPrintable(QString::number(n)));
      QCOMPARE(messages.Take(), QStringList({"Invalid bitmap file"}));
      QCOMPARE(dib.GetSize(), QSize(4, 3));
      ++n;
    }
    QCOMPARE(dib.Image().pixel(0, 0), qRgb(0x33, 0x66, 0x99));
  }

  // The writer's files load back pixel for pixel: 24 bits, bottom-up, no table, padded rows.
  void writtenImageLoadsBack() {
    QImage image(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) image.setPixel(x, y, qRgb(x * 30, y * 50, (x + y) * 10));
    const QString path = SaveBmp(m_dir, "written.bmp", image);
    QVERIFY(!path.isEmpty());
    CDib dib;
    QVERIFY(dib.LoadMapped(path));
    QCOMPARE(dib.GetSize(), QSize(7, 5));
    QCOMPARE(dib.Image(), image);
    QCOMPARE(dib.Layout().info.bitCount, uint16_t{24});
    QVERIFY(!dib.Layout().topDown);
    QCOMPARE(dib.ColourCount(), 0u);
    QVERIFY(dib.Palette().isEmpty());
    QCOMPARE(dib.ImageSize(), size_t{24 * 5});  // 21 bytes a row, padded to 24
    // The stored rows start with the bottom row.
    QCOMPARE(dib.PixelBytes()[2], uint8_t{0});
    QCOMPARE(dib.PixelBytes()[1], uint8_t{200});

    MessageRecorder messages;
    QVERIFY(!CDib::WriteImageFile(image, m_dir.filePath("no/such/folder/x.bmp")));
    QCOMPARE(messages.Take(), QStringList({"Write error"}));
  }

  // An 8-bit image with biClrUsed 0 has 256 colours and a palette of 256 entries.
  void attachedPalettedImage() {
    BmpSpec s;
    s.width = 2;
    s.height = 1;
    s.bitCount = 8;
    s.palette.assign(256, 0);
    s.palette[7] = 0x10FF20;
    std::vector<uint8_t> file = BmpHead(s);
    for (uint8_t b : {7, 0, 0, 0}) file.push_back(b);
    CDib dib;
    QVERIFY(dib.AttachHeader(file.data() + 14, file.size() - 14));
    QCOMPARE(dib.ColourCount(), 256u);
    QCOMPARE(dib.Palette().size(), 256);
    QCOMPARE(dib.Palette()[7], qRgb(0x10, 0xFF, 0x20));
    QCOMPARE(dib.Image().pixel(0, 0), qRgb(0x10, 0xFF, 0x20));
    QCOMPARE(dib.Image().pixel(1, 0), qRgb(0, 0, 0));

    MessageRecorder messages;
    QVERIFY(!dib.AttachHeader(file.data() + 14, 60));  // the pixels are not inside
    QCOMPARE(messages.Take(), QStringList({"Invalid bitmap file"}));
    QVERIFY(dib.IsEmpty());
  }

  // Through byte streams: a round trip, and the three stream failures.
  void streams() {
    MessageRecorder messages;
    CDib dib;
    QVERIFY(dib.LoadMapped(SaveBmp(m_dir, "s.bmp", WithKeyCorners(9, 4, 0xFF0000FF, 2))));
    std::stringstream stream;
    QVERIFY(dib.Serialize(static_cast<std::ostream&>(stream)));
    CDib copy;
    QVERIFY(copy.Serialize(static_cast<std::istream&>(stream)));
    QCOMPARE(copy.Image(), dib.Image());

    std::ostringstream failing;
    failing.setstate(std::ios::badbit);
    QVERIFY(!dib.Serialize(failing));
    QCOMPARE(messages.Take(), QStringList({"Write error"}));
    std::istringstream empty;
    QVERIFY(!copy.Serialize(empty));
    QCOMPARE(messages.Take(), QStringList({"Read error"}));
    QVERIFY(copy.IsEmpty());
    std::istringstream notBmp(std::string(64, 'x'));
    QVERIFY(!copy.Serialize(notBmp));
    QCOMPARE(messages.Take(), QStringList({"Invalid bitmap file"}));
  }

  // Region: non-key pixels only, top-left origin; near-magenta up to +16 is key.
  void regions() {
    CDib dib;
    QVERIFY(dib.LoadMapped(SaveBmp(m_dir, "allkey.bmp", Filled(5, 4, kMagenta))));
    QVERIFY(dib.CreateRegion()->isEmpty());
    QVERIFY(dib.LoadMapped(SaveBmp(m_dir, "nokey.bmp", Filled(5, 4, 0xFF102030))));
    QCOMPARE(*dib.CreateRegion(), QRegion(0, 0, 5, 4));

    QImage edge = Filled(3, 2, kMagenta);
    edge.setPixel(0, 0, qRgb(255, 16, 255));
    edge.setPixel(1, 0, qRgb(255, 17, 255));
    edge.setPixel(2, 1, qRgb(0, 0, 0));
    QVERIFY(dib.LoadMapped(SaveBmp(m_dir, "edge.bmp", edge)));
    QCOMPARE(*dib.CreateRegion(), QRegion(1, 0, 1, 1) + QRegion(2, 1, 1, 1));

    // A checkerboard needs one rectangle per pixel: far more than one batch.
    QImage board = Filled(120, 80, kMagenta);
    for (int y = 0; y < 80; ++y)
      for (int x = (y % 2); x < 120; x += 2) board.setPixel(x, y, qRgb(0, 128, 0));
    QVERIFY(dib.LoadMapped(SaveBmp(m_dir, "board.bmp", board)));
    const QRegion region = *dib.CreateRegion();
    QCOMPARE(region.boundingRect(), QRect(0, 0, 120, 80));
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 120; ++x)
        if (region.contains(QPoint(x, y)) != (board.pixel(x, y) != kMagenta))
          QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
  }

  // Drawing stretches the whole image or a source rectangle; an empty image draws nothing.
  void drawing() {
    QImage strip = Filled(4, 2, qRgb(10, 10, 10));
    strip.setPixel(2, 0, qRgb(200, 0, 0));
    strip.setPixel(3, 0, qRgb(200, 0, 0));
    strip.setPixel(2, 1, qRgb(200, 0, 0));
    strip.setPixel(3, 1, qRgb(200, 0, 0));
    CDib dib;
    QVERIFY(dib.LoadMapped(SaveBmp(m_dir, "draw.bmp", strip)));
    QImage target = Filled(8, 4, qRgb(255, 255, 255));
    {
      QPainter p(&target);
      QVERIFY(dib.Draw(p, 0, 0, 8, 4));
    }
    QCOMPARE(target.pixel(3, 3), qRgb(10, 10, 10));
    QCOMPARE(target.pixel(4, 0), qRgb(200, 0, 0));
    target.fill(Qt::white);
    {
      QPainter p(&target);
      QVERIFY(dib.DrawPart(p, 1, 1, 4, 2, 2, 0, 2, 2));
      CDib none;
      QVERIFY(!none.Draw(p, 0, 0, 8, 4));
    }
    QCOMPARE(target.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(target.pixel(1, 1), qRgb(200, 0, 0));
    QCOMPARE(target.pixel(4, 2), qRgb(200, 0, 0));
    QCOMPARE(target.pixel(5, 2), qRgb(255, 255, 255));
  }
};

QTEST_MAIN(DibTest)
#include "dib_test.moc"
