// The main window's layout: skin parts, buttons, panels and the standard controls, all at the
// skin's design positions.
#include <QCheckBox>
#include <QPainter>
#include <QPainterPath>

#include "app/command_ids.h"
#include "base/qt_strings.h"
#include "app/vantrel_dlg.h"
#include "resources/resource.h"

namespace vantrel {
namespace {

QString PathText(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Shrinks the boxes' common font in half points until every text fits its box's width (never
// below 6 pt); one size for all, so that they read as a group.
void FitTextsToWidth(std::initializer_list<QCheckBox*> boxes) {
  QFont font = (*boxes.begin())->font();
  auto fits = [&] {
    for (QCheckBox* box : boxes)
      if (box->sizeHint().width() > box->width()) return false;
    return true;
  };
  while (!fits() && font.pointSizeF() > 6) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
    for (QCheckBox* box : boxes) box->setFont(font);
  }
}

struct FramePiece {
  SkinFile image;
  int hAnchor, vAnchor, hitCode;
  bool shaped;
  int left, top, right, bottom;  // -1: the image's width or height
};

using D = CSkinBaseDialog;
// The frame, in painting order; the part numbers the panels' overlap lists name are indexes here.
constexpr FramePiece kFrame[] = {
    {kSkin11, D::kAnchorLeft, D::kAnchorTop, D::kHitMove, true, 0, 15, -1, -1},
    {kSkin12, D::kAnchorStretch, D::kAnchorTop, D::kHitMove, false, 101, 15, 500, -1},
    {kSkin13, D::kAnchorFollow, D::kAnchorTop, D::kHitMove, true, 500, 0, -1, -1},
    {kSkin21, D::kAnchorLeft, D::kAnchorStretch, D::kHitMove, false, 0, 59, -1, 400},
    {kSkin22, D::kAnchorStretch, D::kAnchorStretch, D::kHitNone, false, 90, 45, 735, 466},
    {kSkin23, D::kAnchorFollow, D::kAnchorStretch, D::kHitRight, false, 735, 245, -1, 450},
    {kSkin31, D::kAnchorLeft, D::kAnchorFollowBottom, D::kHitMove, true, 0, 400, -1, -1},
    {kSkin32, D::kAnchorLeft, D::kAnchorFollowBottom, D::kHitMove, true, 100, 466, -1, -1},
    {kSkin33, D::kAnchorStretch, D::kAnchorFollowBottom, D::kHitBottom, false, 534, 466, 711, -1},
    {kSkin34, D::kAnchorFollow, D::kAnchorFollowBottom, D::kHitRight | D::kHitBottom, true, 711, 450, -1, -1},
};
// The catalogue panel is the same shape in every skin. The search field takes the row above
// the tree where the new-channels label was; the tree keeps its top (its rows stay where they
// were) and gives up its last rows to the label and to the third view's radio button, which
// sits right above the other two.
constexpr QRect kSearchRect{744, 56, 241, 24};
constexpr QRect kTreeRect{744, 82, 241, 170};
constexpr QRect kNewChannelsRect{750, 256, 235, 20};
constexpr QRect kByPlaylistsRect{750, 282, 120, 20};
constexpr int kTopEdge = 1, kTopRight = 2, kCentre = 4, kRightEdge = 5, kBottomLeft = 7;

}  // namespace

void CVantrelDlg::AddSkinParts() {
  for (const FramePiece& piece : kFrame)
    AddBitmapPart(PathText(SkinImage(piece.image)), piece.hAnchor, piece.vAnchor, piece.hitCode, piece.shaped,
                  piece.left, piece.top, piece.right, piece.bottom);
}

void CVantrelDlg::CreateButton(CSkinBaseButton& button, SkinFile image, int command, QPoint at, int hAnchor,
                               int vAnchor) {
  button.LoadImage(PathText(SkinImage(image)));
  button.Create(this, command, at.x(), at.y());
  AddOwnerDrawControl(&button, hAnchor, vAnchor);
}

// Each arrow slides its panel; the frame pieces named as overlaps stay in front of the panel.
void CVantrelDlg::CreatePanels() {
  CreateButton(m_downArrow, kArrowDown, cmd::kDownArrow, {298, 531}, kAnchorLeft, kAnchorFollowBottom);
  m_downArrow.SetToggleMode(true);
  m_downArrowPart = PartCount() - 1;
  m_bottomPanelColour = SamplePanelColour(PathText(SkinImage(kSkinMoveDown)));
  m_bottomPanelPart = AddBitmapPart(PathText(SkinImage(kSkinMoveDown)), kAnchorLeft, kAnchorFollowBottom, kHitNone,
                                    true, 150, 287, -1, -1);
  Part(m_bottomPanelPart)->SetOverlaps({Part(kCentre), Part(kBottomLeft)});

  CreateButton(m_rightArrow, kArrowRight, cmd::kRightArrow, {744, 191}, kAnchorFollow, kAnchorTop);
  m_rightArrow.SetToggleMode(true);
  m_rightArrowPart = PartCount() - 1;
  m_rightPanelColour = SamplePanelColour(PathText(SkinImage(kSkinMoveRight)));
  m_rightPanelPart = AddBitmapPart(PathText(SkinImage(kSkinMoveRight)), kAnchorFollow, kAnchorTop, kHitNone, true,
                                   476, 29, -1, -1);
  Part(m_rightPanelPart)->SetOverlaps({Part(kTopEdge), Part(kTopRight), Part(kCentre), Part(kRightEdge)});
}

void CVantrelDlg::LayOutControls() {
  m_alwaysOnTop.setText(ResString(res::IDS_ALWAYS_ON_TOP));
  m_hideControls.setText(ResString(res::IDS_HIDE_CONTROLS));
  m_newChannels.setText(ResString(res::IDS_NEW_CHANNELS_LABEL));
  m_byCountries.setText(ResString(res::IDS_BY_COUNTRIES));
  m_byGenres.setText(ResString(res::IDS_BY_GENRES));
  m_byPlaylists.setText(ResString(res::IDS_BY_PLAYLISTS));
  const struct {
    QWidget* control;
    QRect rect;
    int hAnchor, vAnchor;
  } controls[] = {
      {&m_alwaysOnTop, {230, 480, 180, 22}, kAnchorLeft, kAnchorFollowBottom},
      {&m_hideControls, {230, 500, 180, 22}, kAnchorLeft, kAnchorFollowBottom},
      {&m_newChannels, kNewChannelsRect, kAnchorFollow, kAnchorTop},
      {&m_tree, kTreeRect, kAnchorFollow, kAnchorTop},
      {&m_byCountries, {750, 308, 120, 20}, kAnchorFollow, kAnchorTop},
      {&m_byGenres, {880, 308, 120, 20}, kAnchorFollow, kAnchorTop},
      {&m_byPlaylists, kByPlaylistsRect, kAnchorFollow, kAnchorTop},
      {&m_search, kSearchRect, kAnchorFollow, kAnchorTop},
      {&m_description, {744, 328, 241, 60}, kAnchorFollow, kAnchorTop},
      {&m_siteUrl, {744, 395, 140, 20}, kAnchorFollow, kAnchorTop},
      {&m_bitRate, {888, 395, 96, 20}, kAnchorFollow, kAnchorTop},
      {&m_favorites, {250, 530, 222, 172}, kAnchorLeft, kAnchorFollowBottom},
  };
  for (const auto& c : controls) {
    c.control->setGeometry(c.rect);
    AddControlPart(c.control, c.hAnchor, c.vAnchor);
  }
  // The panels' controls appear when their panel has slid open.
  for (QWidget* hidden : std::initializer_list<QWidget*>{&m_newChannels, &m_tree, &m_byCountries, &m_byGenres,
                                                         &m_byPlaylists, &m_search, &m_description, &m_siteUrl,
                                                         &m_bitRate, &m_favorites})
    hidden->hide();
  // The boxes keep their design width; their texts are made to fit whatever the desktop's font.
  FitTextsToWidth({&m_alwaysOnTop, &m_hideControls});
  m_alwaysOnTop.setChecked(false);
  m_hideControls.setChecked(false);
  m_alwaysOnTop.show();
  m_hideControls.show();
  LayOutGuide();
}

void CVantrelDlg::CreatePreviewButtons() {
  for (const SkinPreviewButton& preview : PreviewButtons(m_skins)) {
    auto button = std::make_unique<CSkinBaseButton>();
    button->setObjectName(QStringLiteral("preview") + preview.name);
    button->LoadImage(PathText(preview.image));
    button->Create(this, preview.command, preview.x, preview.y);
    button->SetToggleMode(true);
    AddOwnerDrawControl(button.get(), kAnchorLeft, kAnchorTop);
    m_previews.push_back(std::move(button));
  }
}

void CVantrelDlg::ConnectControls() {
  connect(&m_alwaysOnTop, &QCheckBox::clicked, this, [this] { OnCommand(ctl::kAlwaysOnTop); });
  connect(&m_hideControls, &QCheckBox::clicked, this, [this] { OnCommand(ctl::kHideControls); });
  connect(&m_byCountries, &QRadioButton::clicked, this, [this] { OnCommand(ctl::kByCountries); });
  connect(&m_byGenres, &QRadioButton::clicked, this, [this] { OnCommand(ctl::kByGenres); });
  connect(&m_byPlaylists, &QRadioButton::clicked, this, [this] { OnCommand(ctl::kByPlaylists); });
  connect(&m_tree, &CChannelTreeView::SelectionChanged, this, &CVantrelDlg::OnTreeSelectionChanged);
  connect(&m_tree, &QAbstractItemView::doubleClicked, this, &CVantrelDlg::OnTreeDoubleClick);
  connect(&m_favorites, &CFavoritesListView::Clicked, this, &CVantrelDlg::OnFavoritesClick);
  connect(&m_favorites, &CFavoritesListView::DoubleClicked, this, &CVantrelDlg::OnFavoritesDoubleClick);
  connect(&m_player, &CMediaplayer::PlayStateChange, this, &CVantrelDlg::OnPlayStateChange);
  // A new frame paints over the status text, as any new content under it does.
  connect(&m_player, &CMediaplayer::FrameRendered, this, [this] {
    if (m_player.geometry().intersects(m_status.Rect())) m_status.Clear();
  });
  ConnectGuide();
}

QIcon MakeProgramIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // A screen with a play sign.
    p.setPen(QPen(QColor(20, 30, 60), 3));
    p.setBrush(QColor(40, 90, 170));
    p.drawRoundedRect(QRectF(4, 10, 56, 40), 6, 6);
    p.setBrush(QColor(60, 60, 70));
    p.drawRect(QRectF(24, 50, 16, 6));
    QPainterPath play;
    play.moveTo(26, 20);
    play.lineTo(44, 30);
    play.lineTo(26, 40);
    play.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(play);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QColor SamplePanelColour(const QString& imagePath) {
  CDib dib;
  if (!dib.LoadMapped(imagePath, true)) return QColor(Qt::white);
  const std::span<const uint8_t> bytes = dib.PixelBytes();
  if (bytes.size() >= kPanelMinPixelBytes)
    return QColor(bytes[kPanelColourOffset + 1], bytes[kPanelColourOffset], bytes[kPanelColourOffset + 2]);
  const QImage& image = dib.Image();
  return image.pixelColor(image.width() / 2, image.height() / 2);
}

}  // namespace vantrel
