#include "app/vantrel_dlg_playlist_logo.h"

#include <QBuffer>
#include <QImageReader>
#include <QPixmap>
#include <algorithm>

#include "app/vantrel_dlg.h"
#include "base/file_locations.h"
#include "base/qt_strings.h"
#include "updates/logo_fetch.h"

#include <QScrollBar>
#include <QTextFrame>

namespace vantrel {
namespace {

// Fetches waiting beyond this many are forgotten: the user has moved on past them.
constexpr size_t kMaxQueued = 8;

}  // namespace

bool IsUsableLogo(const std::string& bytes) {
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAllocationLimit(64);  // megabytes: far above any logo, far below harm
  const QSize size = reader.size();
  if (!size.isValid() || size.width() > CChannelLogo::kMaxSide || size.height() > CChannelLogo::kMaxSide) return false;
  return !reader.read().isNull();
}

CChannelLogo::CChannelLogo(std::filesystem::path cacheFolder, QWidget* parent)
    : QLabel(parent), m_folder(std::move(cacheFolder)) {
  setObjectName(QStringLiteral("channelLogo"));
  setAlignment(Qt::AlignCenter);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  hide();
}

CChannelLogo::~CChannelLogo() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
  }
  m_cancel = true;
  m_wake.notify_all();
  if (m_worker.joinable()) m_worker.join();
}

void CChannelLogo::ShowLogo(const QString& address) {
  m_address = address;
  if (address.isEmpty() || m_failed.count(address) != 0) {
    Clear();
    return;
  }
  if (ShowCached()) return;
  Clear();
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string wanted = address.toStdString();
    m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), wanted), m_queue.end());
    m_queue.push_front(wanted);
    if (m_queue.size() > kMaxQueued) m_queue.pop_back();
  }
  m_wake.notify_one();
  if (!m_worker.joinable()) m_worker = std::thread([this] { Run(); });
}

void CChannelLogo::Fit() {
  if (isVisible() && !m_address.isEmpty()) ShowCached();
}

bool CChannelLogo::ShowCached() {
  const std::filesystem::path file = LogoCacheFile(m_folder, m_address.toStdString());
  QImageReader reader(QString::fromStdString(file.string()));
  reader.setAllocationLimit(64);
  const QSize size = reader.size();
  if (!size.isValid() || size.width() > kMaxSide || size.height() > kMaxSide) return false;
  const QImage image = reader.read();
  if (image.isNull()) return false;
  // No taller than the box it sits in, which the guide's now and next make lower.
  QSize bound = kMaxSize;
  if (const QWidget* box = parentWidget()) bound.setHeight(std::clamp(box->contentsRect().height() - 2, 8, kMaxSize.height()));
  const QImage shown = image.width() > bound.width() || image.height() > bound.height()
                           ? image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                           : image;
  setPixmap(QPixmap::fromImage(shown));
  resize(shown.size());
  show();
  emit LogoChanged(true);
  return true;
}

void CChannelLogo::Clear() {
  if (isHidden() && pixmap().isNull()) return;
  clear();
  hide();
  emit LogoChanged(false);
}

void CChannelLogo::Run() {
  for (;;) {
    std::string address;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
      if (m_stopping) return;
      address = std::move(m_queue.front());
      m_queue.pop_front();
    }
    bool cached = std::filesystem::exists(LogoCacheFile(m_folder, address));
    if (!cached) {
      const LogoFetch fetch = FetchLogo(address, &m_cancel);
      if (fetch.status == LogoFetchStatus::kCancelled) return;
      // A picture that does not decode, or would take too much memory, is never kept.
      cached = fetch.Ok() && IsUsableLogo(fetch.bytes) && StoreLogo(m_folder, address, fetch.bytes);
    }
    QMetaObject::invokeMethod(
        this, [this, text = QString::fromStdString(address), cached] { Fetched(text, cached); }, Qt::QueuedConnection);
  }
}

void CChannelLogo::Fetched(const QString& address, bool cached) {
  if (!cached) m_failed.insert(address);
  if (address == m_address && cached) ShowCached();
}

// The dialog's side: the logo sits in the description's top right corner, inside its frame,
// and the text wraps to its left. Being the description's child, it goes wherever the skin
// and the panels put the description, and hides with it.

void CVantrelDlg::ShowChannelLogo(const CChannel& channel, bool fromPlaylist) {
  if (!m_logo) {
    if (!fromPlaylist || channel.logo.empty()) return;
    m_logo = std::make_unique<CChannelLogo>(FileLocation(DataFile::kLogoCache), &m_description);
    connect(m_logo.get(), &CChannelLogo::LogoChanged, this, &CVantrelDlg::PlaceChannelLogo);
  }
  m_logo->ShowLogo(fromPlaylist ? ToQString(channel.logo) : QString());
}

void CVantrelDlg::PlaceChannelLogo(bool shown) {
  QTextFrame* root = m_description.document()->rootFrame();
  QTextFrameFormat format = root->frameFormat();
  format.setRightMargin(shown ? m_logo->width() + 2 : 0);
  root->setFrameFormat(format);
  if (!shown) return;
  const int frame = m_description.frameWidth();
  const QScrollBar* bar = m_description.verticalScrollBar();
  const int barWidth = bar != nullptr && bar->isVisible() ? bar->width() : 0;
  m_logo->move(m_description.width() - frame - barWidth - m_logo->width() - 1, frame + 1);
  m_logo->raise();
}

}  // namespace vantrel
