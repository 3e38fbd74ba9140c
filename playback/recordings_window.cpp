#include "playback/recordings_window.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/qt_strings.h"
#include "resources/resource.h"

namespace vantrel {
namespace {

// A local time of day; with the date when it is not today.
QString MomentText(int64_t ms, int64_t now) {
  const QDateTime moment = QDateTime::fromMSecsSinceEpoch(ms).toLocalTime();
  const bool today = moment.date() == QDateTime::fromMSecsSinceEpoch(now).toLocalTime().date();
  return moment.toString(today ? QStringLiteral("HH:mm") : QStringLiteral("dd.MM HH:mm"));
}

// The capture writes "<file>.part" until its header is written.
int64_t FileBytes(const QString& file) {
  const QFileInfo info(file);
  if (info.exists()) return info.size();
  const QFileInfo partial(file + QStringLiteral(".part"));
  return partial.exists() ? partial.size() : 0;
}

}  // namespace

CRecordingsWindow::CRecordingsWindow(std::function<std::vector<RecordingsRow>()> rows,
                                     std::function<void(uint64_t)> stop, std::function<int64_t()> now,
                                     QWidget* parent)
    : QWidget(parent, Qt::Tool), m_rows(std::move(rows)), m_stop(std::move(stop)), m_now(std::move(now)) {
  setObjectName(QStringLiteral("recordingsWindow"));
  setWindowTitle(ResString(res::IDS_RECORDINGS_TITLE));
  m_table.setObjectName(QStringLiteral("recordingsTable"));
  m_table.setColumnCount(kColumnCount);
  m_table.setHorizontalHeaderLabels({ResString(res::IDS_RECORDINGS_CHANNEL), ResString(res::IDS_RECORDINGS_TIME),
                                     ResString(res::IDS_RECORDINGS_SIZE), QString()});
  m_table.verticalHeader()->hide();
  m_table.setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table.setSelectionMode(QAbstractItemView::NoSelection);
  m_table.horizontalHeader()->setSectionResizeMode(kChannelColumn, QHeaderView::Stretch);
  for (int column : {kTimeColumn, kSizeColumn, kStopColumn})
    m_table.horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(&m_table);
  resize(480, 200);
  m_timer.setInterval(kRefreshMs);
  connect(&m_timer, &QTimer::timeout, this, &CRecordingsWindow::Refresh);
}

QPushButton* CRecordingsWindow::StopButton(int row) const {
  if (row < 0 || row >= m_table.rowCount()) return nullptr;
  return qobject_cast<QPushButton*>(m_table.cellWidget(row, kStopColumn));
}

void CRecordingsWindow::Refresh() {
  const std::vector<RecordingsRow> rows = m_rows();
  const int64_t now = m_now();
  std::vector<uint64_t> keys;
  for (const RecordingsRow& row : rows) keys.push_back(row.key);
  // The buttons are made again only when the rows change, so a click never hits one being
  // replaced.
  if (keys != m_shownKeys) {
    m_shownKeys = keys;
    m_table.setRowCount(0);
    m_table.setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
      for (int column : {kChannelColumn, kTimeColumn, kSizeColumn}) m_table.setItem(i, column, new QTableWidgetItem);
      auto* button = new QPushButton(&m_table);
      button->setObjectName(QStringLiteral("stopRecording"));
      const uint64_t key = rows[i].key;
      // Queued: the stop refreshes the table, which deletes this very button.
      connect(button, &QPushButton::clicked, this, [this, key] {
        QMetaObject::invokeMethod(this, [this, key] { m_stop(key); Refresh(); }, Qt::QueuedConnection);
      });
      m_table.setCellWidget(i, kStopColumn, button);
    }
  }
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const RecordingsRow& row = rows[i];
    m_table.item(i, kChannelColumn)->setText(row.channel);
    m_table.item(i, kChannelColumn)->setToolTip(row.file);
    m_table.item(i, kTimeColumn)->setText(TimeText(row, now));
    m_table.item(i, kSizeColumn)->setText(row.waiting ? QString() : SizeText(FileBytes(row.file)));
    StopButton(i)->setText(ResString(row.waiting ? res::IDS_RECORDING_CANCEL : res::IDS_RECORDING_STOP));
  }
}

QString CRecordingsWindow::TimeText(const RecordingsRow& row, int64_t now) const {
  if (row.waiting) return ResString(res::IDS_RECORDING_STARTS_AT).arg(MomentText(row.startMs, now));
  if (row.connecting) return ResString(res::IDS_RECORDING_CONNECTING);
  const QString elapsed = ElapsedText(now - row.startMs);
  return row.stopMs == 0 ? elapsed : ResString(res::IDS_RECORDING_UNTIL).arg(elapsed, MomentText(row.stopMs, now));
}

QString CRecordingsWindow::ElapsedText(int64_t ms) {
  const int64_t seconds = std::max<int64_t>(ms, 0) / 1000;
  const auto two = [](int64_t n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
  if (seconds >= 3600) return QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg(two(seconds / 60 % 60), two(seconds % 60));
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(two(seconds % 60));
}

QString CRecordingsWindow::SizeText(int64_t bytes) {
  if (bytes < 1024 * 1024) return ResString(res::IDS_SIZE_KB).arg((bytes + 1023) / 1024);
  return ResString(res::IDS_SIZE_MB).arg(QLocale(QLocale::Russian).toString(bytes / (1024.0 * 1024.0), 'f', 1));
}

void CRecordingsWindow::showEvent(QShowEvent* event) {
  Refresh();
  m_timer.start();
  QWidget::showEvent(event);
}

void CRecordingsWindow::hideEvent(QHideEvent* event) {
  m_timer.stop();
  QWidget::hideEvent(event);
}

}  // namespace vantrel
