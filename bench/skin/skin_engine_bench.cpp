#include "bench/support/bench_app.h"
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>

#include "skin/dib.h"
#include "skin/skin_base_dialog.h"

using namespace vantrel;

namespace {

using vantrel::bench::App;

const QTemporaryDir& Folder() {
  static QTemporaryDir dir;
  return dir;
}

// A picture with a shaped border: rounded magenta corners and a ragged magenta rim.
QImage Shaped(int width, int height, QRgb colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(qRgb(255, 0, 255));
  QPainter p(&image);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(colour));
  const int radius = std::min({60, width / 3, height / 3});
  p.drawRoundedRect(QRect(4, 4, width - 8, height - 8), radius, radius);
  p.setBrush(QColor(255, 0, 255));
  for (int y = 0; y < height; y += 16) p.drawRect(0, y, 10, 6);
  return image;
}

QString Save(const QString& name, const QImage& image) {
  const QString path = Folder().filePath(name);
  CDib::WriteImageFile(image, path);
  return path;
}

QImage Plain(int width, int height, QRgb colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// A window laid out like the main window: ten frame pieces and two shaped panels behind them.
class BenchDialog : public CSkinBaseDialog {
 public:
  using CSkinBaseDialog::ComposeBackground;
  BenchDialog() {
    struct Piece { QImage image; int h, v, hit; bool shaped; int l, t, r, b; };
    const Piece pieces[] = {
        {Shaped(101, 44, 0xFF3050A0), 16, 4, 64, true, 0, 15, -1, -1},
        {Plain(10, 30, 0xFF3050A0), 2, 4, 64, false, 101, 15, 500, -1},
        {Shaped(250, 45, 0xFF3050A0), 32, 4, 64, true, 500, 0, -1, -1},
        {Plain(90, 10, 0xFF3050A0), 16, 2, 64, false, 0, 59, -1, 400},
        {Plain(64, 64, 0xFF202020), 2, 2, 0, false, 90, 45, 735, 466},
        {Plain(15, 10, 0xFF3050A0), 32, 2, 32, false, 735, 245, -1, 450},
        {Shaped(100, 100, 0xFF3050A0), 16, 8, 64, true, 0, 400, -1, -1},
        {Shaped(434, 34, 0xFF3050A0), 16, 8, 64, true, 100, 466, -1, -1},
        {Plain(10, 34, 0xFF3050A0), 2, 8, 8, false, 534, 466, 711, -1},
        {Shaped(39, 50, 0xFF3050A0), 32, 8, 40, true, 711, 450, -1, -1},
        {Shaped(330, 250, 0xFF608060), 16, 8, 0, true, 150, 287, -1, -1},
        {Shaped(520, 420, 0xFF806060), 32, 4, 0, true, 476, 29, -1, -1},
    };
    int n = 0;
    for (const Piece& piece : pieces)
      AddBitmapPart(Save(QString("piece%1.bmp").arg(n++), piece.image), piece.h, piece.v, piece.hit, piece.shaped,
                    piece.l, piece.t, piece.r, piece.b);
    Part(10)->SetOverlaps({Part(4), Part(7)});
    Part(11)->SetOverlaps({Part(1), Part(2), Part(4), Part(5)});
  }
  void Mouse(QEvent::Type type, QPoint local, Qt::MouseButtons held, Qt::MouseButton button = Qt::NoButton) {
    QMouseEvent event(type, QPointF(local), QPointF(mapToGlobal(local)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &event);
  }
};

}  // namespace

// The shape of a 1024 x 768 24-bit skin image with a shaped border.
static void BM_CreateRegion1024x768(benchmark::State& state) {
  App();
  CDib dib;
  dib.LoadMapped(Save("big.bmp", Shaped(1024, 768, 0xFF4070C0)));
  for (auto _ : state) benchmark::DoNotOptimize(dib.CreateRegion(kKeyMagenta));
}
BENCHMARK(BM_CreateRegion1024x768)->Unit(benchmark::kMillisecond);

// Composing every part of a 1000 x 750 window into the off-screen buffer.
static void BM_ComposeWindow1000x750(benchmark::State& state) {
  App();
  BenchDialog dialog;
  dialog.resize(1000, 750);
  dialog.show();
  QCoreApplication::processEvents();
  for (auto _ : state) dialog.ComposeBackground(dialog.rect());
}
BENCHMARK(BM_ComposeWindow1000x750)->Unit(benchmark::kMillisecond);

// One drag-resize step by the bottom-right corner: parts re-anchored, window resized and
// reshaped from the cached part regions.
static void BM_DragResizeStep(benchmark::State& state) {
  App();
  BenchDialog dialog;
  dialog.resize(1000, 750);
  dialog.show();
  QCoreApplication::processEvents();
  const QPoint corner = dialog.Part(9)->Rect().center();
  dialog.Mouse(QEvent::MouseButtonPress, corner, Qt::LeftButton, Qt::LeftButton);
  int step = 0;
  for (auto _ : state) {
    const int d = (step++ % 2) ? 0 : 3;
    dialog.Mouse(QEvent::MouseMove, corner + QPoint(d, d), Qt::LeftButton);
  }
  dialog.Mouse(QEvent::MouseButtonRelease, corner, Qt::NoButton, Qt::LeftButton);
}
BENCHMARK(BM_DragResizeStep)->Unit(benchmark::kMillisecond);
