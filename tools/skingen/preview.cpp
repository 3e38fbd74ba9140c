#include "tools/skingen/preview.h"

#include <QBitmap>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTreeWidget>

#include "skin/bmp_format.h"
#include "tools/skingen/layout.h"
#include "tools/skingen/paint_util.h"

namespace vantrel::skingen {
namespace {

// One bitmap part of the main window: its image, where it is and whether it is keyed.
struct Part {
  QImage image;
  QRect rect;
  bool shaped;
  QRegion Region() const {
    if (!shaped) return QRegion(rect);
    QImage mask(image.size(), QImage::Format_Mono);
    mask.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});  // index 1 is color1: inside
    mask.fill(0);
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        // The same key range the program uses: magenta and up to 16 levels away.
        const bool key = qRed(p) >= 255 && qGreen(p) <= 16 && qBlue(p) >= 255;
        if (!key) mask.setPixel(x, y, 1);
      }
    }
    return QRegion(QBitmap::fromImage(mask)).translated(rect.topLeft());
  }
};

QImage Picture(const QImage& strip, int index) {
  const int w = strip.width() / 5;
  return strip.copy(index * w, 0, w, strip.height());
}

void RenderWidget(QPainter& p, QWidget& w, const QRect& at) {
  w.setGeometry(QRect(QPoint(0, 0), at.size()));
  w.ensurePolished();
  w.render(&p, at.topLeft(), QRegion(), QWidget::DrawChildren);
}

QPalette PanelPalette(const QColor& panel) {
  QPalette pal;
  pal.setColor(QPalette::Base, panel);
  pal.setColor(QPalette::Window, panel);
  return pal;
}

void DrawControls(QPainter& p, const SkinStyle& s, bool open) {
  QCheckBox top(QStringLiteral("Поверх всех окон"));
  QCheckBox hide(QStringLiteral("Скрыть элементы управления"));
  RenderWidget(p, top, kAlwaysOnTop);
  RenderWidget(p, hide, kHideControls);
  if (!open) return;
  QLabel label(QStringLiteral("Доступно новых каналов: 12"));
  label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  RenderWidget(p, label, kNewChannelsLabel);
  QTreeWidget tree;
  tree.setPalette(PanelPalette(s.pal.panel));
  tree.header()->hide();
  for (const char* country : {"Россия", "Украина", "Германия", "Франция", "Италия"}) {
    auto* item = new QTreeWidgetItem(&tree, {QString::fromUtf8(country)});
    for (const char* channel : {"Первый канал", "Новости 24", "Радио Ретро"}) {
      new QTreeWidgetItem(item, {QString::fromUtf8(channel)});
    }
  }
  tree.topLevelItem(0)->setExpanded(true);
  tree.setCurrentItem(tree.topLevelItem(0)->child(1));
  RenderWidget(p, tree, kTree);
  QRadioButton byCountry(QStringLiteral("По странам")), byGenre(QStringLiteral("По жанрам"));
  byCountry.setChecked(true);
  RenderWidget(p, byCountry, kByCountries);
  RenderWidget(p, byGenre, kByGenres);
  QPlainTextEdit description(QStringLiteral("Круглосуточные новости: события дня, репортажи и прогноз погоды."));
  description.setReadOnly(true);
  RenderWidget(p, description, kDescription);
  QLineEdit site(QStringLiteral("http://news24.example/")), rate(QStringLiteral("128 KBits/s"));
  RenderWidget(p, site, kSiteUrl);
  RenderWidget(p, rate, kBitRate);
  QListWidget list;
  list.setPalette(PanelPalette(s.pal.panel));
  list.addItems({QStringLiteral("Новости 24"), QStringLiteral("Радио Ретро"), QStringLiteral("Джаз FM")});
  RenderWidget(p, list, kFavourites);
}

// A test card where the player would show video.
void DrawPlayer(QPainter& p, const QRect& r) {
  p.fillRect(r, Qt::black);
  const QColor bars[] = {Qt::white, Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::red, Qt::blue};
  const int w = r.width() / 7;
  for (int i = 0; i < 7; ++i) p.fillRect(QRect(r.left() + i * w, r.top() + 40, w, r.height() / 2), bars[i].darker(160));
}

// A preview button: its skin's strip and whether it is the current skin.
struct PreviewButton {
  QImage strip;
  int y;
  bool current;
};

QImage ComposeMainWindow(const SkinStyle& s, const std::array<QImage, kSkinFileCount>& img,
                         const std::vector<PreviewButton>& previews, bool open) {
  std::vector<Part> parts;
  for (const Piece& piece : kPieces) parts.push_back({img[piece.file], piece.rect, piece.shaped});
  const QPoint rightAt = kRightPanelAt + (open ? kRightPanelSlide : QPoint());
  const QPoint bottomAt = kBottomPanelAt + (open ? kBottomPanelSlide : QPoint());
  const Part bottom{img[kSkinMoveDown], QRect(bottomAt, img[kSkinMoveDown].size()), true};
  const Part right{img[kSkinMoveRight], QRect(rightAt, img[kSkinMoveRight].size()), true};

  QRegion window;
  for (const Part& part : parts) window += part.Region();
  window += bottom.Region();
  window += right.Region();
  const QRect bounds = window.boundingRect();

  QImage canvas(bounds.size() + QSize(48, 48), QImage::Format_RGB32);
  QPainter p(&canvas);
  QLinearGradient desk(0, 0, 0, canvas.height());
  desk.setColorAt(0, QColor("#8795a1"));
  desk.setColorAt(1, QColor("#5d6a75"));
  p.fillRect(canvas.rect(), desk);
  p.translate(24, 24);
  p.setClipRegion(window);
  for (const Part& part : parts) p.drawImage(part.rect, part.image);
  p.setClipRegion(window & (bottom.Region() - parts[kSkin22].Region() - parts[kSkin32].Region()));
  p.drawImage(bottom.rect, bottom.image);
  p.setClipRegion(window & (right.Region() - parts[kSkin12].Region() - parts[kSkin13].Region() -
                            parts[kSkin22].Region() - parts[kSkin23].Region()));
  p.drawImage(right.rect, right.image);
  p.setClipRegion(window);
  DrawPlayer(p, kPlayer);

  auto button = [&](const ButtonPlace& b, QPoint shift, int picture) {
    p.drawImage(b.at + shift, Picture(img[b.file], picture));
  };
  button(kClose, {}, 0);
  button(kMaximize, {}, 2);
  button(kMinimize, {}, 0);
  button(kQuestion, {}, 0);
  button(kRecord, {}, 4);
  button(kDownArrow, open ? kBottomPanelSlide : QPoint(), open ? 1 : 0);
  button(kRightArrow, open ? kRightPanelSlide : QPoint(), open ? 1 : 0);
  if (open) {
    button(kHeart, {}, 0);
    button(kUnheart, {}, 4);
    button(kDownload, {}, 2);
  }
  for (const PreviewButton& b : previews) p.drawImage(QPoint(kPreviewX, b.y), Picture(b.strip, b.current ? 1 : 0));
  DrawControls(p, s, open);
  return canvas;
}

QImage ComposeDialogs(const std::array<QImage, kSkinFileCount>& img) {
  const QImage& about = img[kAboutBack];
  const QImage& message = img[kMessageBack];
  QImage canvas(about.width() + message.width() + 72, std::max(about.height(), message.height()) + 48,
                QImage::Format_RGB32);
  canvas.fill(QColor("#6d7a86"));
  QPainter p(&canvas);
  auto place = [&](const QImage& back, QPoint at) {
    Part part{back, QRect(at, back.size()), true};
    p.setClipRegion(part.Region());
    p.drawImage(at, back);
  };
  place(about, {24, 24});
  p.drawImage(QPoint(24, 24) + kAboutOk, Picture(img[kButtonOk], 0));
  p.drawImage(QPoint(24, 24) + kAboutCancel, Picture(img[kButtonCancel], 2));
  const QPoint m(about.width() + 48, 24);
  place(message, m);
  p.drawImage(m + kMessageOk, Picture(img[kButtonOk], 1));
  p.drawImage(m + kMessageCancel, Picture(img[kButtonCancel], 0));
  QLabel text(QStringLiteral("Скачана новая шкурка оформления. Чтобы ее увидеть, необходимо перезапустить "
                             "программу. Перезапустить программу?"));
  text.setWordWrap(true);
  text.setAlignment(Qt::AlignCenter);
  RenderWidget(p, text, kMessageText.translated(m));
  return canvas;
}

QImage ComposeStrips(const std::array<QImage, kSkinFileCount>& img) {
  std::vector<SkinFile> strips;
  for (size_t i = 0; i < kSkinFileCount; ++i) {
    if (IsButtonStrip(static_cast<SkinFile>(i))) strips.push_back(static_cast<SkinFile>(i));
  }
  int height = 16, width = 0;
  for (SkinFile f : strips) {
    height += img[f].height() * 2 + 12;
    width = std::max(width, img[f].width() * 2 + 32);
  }
  QImage canvas(width, height, QImage::Format_RGB32);
  canvas.fill(QColor("#9aa5ae"));
  QPainter p(&canvas);
  int y = 8;
  for (SkinFile f : strips) {
    p.drawImage(QRect(16, y, img[f].width() * 2, img[f].height() * 2), img[f]);
    y += img[f].height() * 2 + 12;
  }
  return canvas;
}

}  // namespace

QImage DecodeSkinBitmap(const QByteArray& bytes) {
  const std::span<const uint8_t> file(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                      static_cast<size_t>(bytes.size()));
  BmpLayout layout;
  if (ParseBmpFile(file, layout) != BmpStatus::Ok) return {};
  QImage image(layout.width, layout.height, QImage::Format_RGB32);
  DecodeBmpPixels(layout, file.data() + kBmpFileHeaderSize, reinterpret_cast<uint32_t*>(image.bits()),
                  static_cast<size_t>(image.bytesPerLine()));
  return image;
}

bool WritePreviews(const std::vector<SkinStyle>& styles, const std::vector<EncodedSkin>& skins, size_t index,
                   const QString& folder) {
  const SkinStyle& style = styles[index];
  std::array<QImage, kSkinFileCount> img;
  for (size_t i = 0; i < kSkinFileCount; ++i) {
    img[i] = DecodeSkinBitmap(skins[index][i]);
    if (img[i].isNull()) return false;
  }
  std::vector<PreviewButton> previews;
  for (size_t i = 0; i < styles.size(); ++i) {
    const BuiltInSkin* builtIn = FindBuiltInSkin(styles[i].name.toStdU16String());
    if (builtIn != nullptr) previews.push_back({DecodeSkinBitmap(skins[i][kPreview]), builtIn->previewY, i == index});
  }
  const QDir dir(folder);
  return ComposeMainWindow(style, img, previews, false).save(dir.filePath(style.name + "-closed.png")) &&
         ComposeMainWindow(style, img, previews, true).save(dir.filePath(style.name + "-open.png")) &&
         ComposeDialogs(img).save(dir.filePath(style.name + "-dialogs.png")) &&
         ComposeStrips(img).save(dir.filePath(style.name + "-strips.png"));
}

}  // namespace vantrel::skingen
