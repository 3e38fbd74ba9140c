// Recording in the main window: the record button, the channel menus' "record" entries, the
// guide's programme recordings, the list of recordings, and the stop of every capture when the
// window closes.
#include <QMenu>

#include "app/vantrel_dlg.h"
#include "base/file_locations.h"
#include "base/message_box.h"
#include "base/qt_strings.h"
#include "base/text_codec.h"
#include "catalogue/channel_list.h"
#include "catalogue/channel_tree_model.h"
#include "playback/save_file_chooser.h"
#include "resources/resource.h"

namespace vantrel {
namespace {

// The record button knows only the address: the channel chosen last, or the catalogue's
// channel of that address, gives its name.
QString RecordedChannelName(const QString& url, const CChannel* playing) {
  const std::u16string address = ToU16(url);
  if (playing != nullptr && playing->URL == address && !playing->name.empty()) return ToQString(playing->name);
  for (const CChannel& channel : GetChannelList().channels)
    if (channel.URL == address && !channel.name.empty()) return ToQString(channel.name);
  return url;
}

}  // namespace

void CVantrelDlg::OnRecord() {
  // The library keeps one capture per address: a second one would get no file of its own, and
  // stopping either would end both.
  if (!m_recorder.IsRecording() && m_recordings.IsCapturing(m_player.GetURL())) {
    m_record.SetToggleState(false);
    ShowSkinnedMessage(ResString(res::IDS_ALREADY_RECORDING), this);
    return;
  }
  m_recorder.OnRecord();
  if (m_recorder.IsRecording()) m_recordButtonSince = RecordingClockNow();
  if (m_recordingsWindow) m_recordingsWindow->Refresh();
}

// Called by every way of closing, before the dialog ends: a recording left running would have
// no index. The schedule file keeps what has not ended, for the next run.
void CVantrelDlg::StopAllCaptures() {
  m_recorder.StopAllCaptures();
  m_recordings.StopAll();
  if (m_recordingsWindow) m_recordingsWindow->hide();
}

void CVantrelDlg::ConnectRecordings() {
  m_favorites.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&m_favorites, &QWidget::customContextMenuRequested, this, &CVantrelDlg::ShowFavoritesMenu);
  connect(&m_recordings, &CRecordingManager::StartFailed, this, [this](const QString& channel, bool busy) {
    ShowSkinnedMessage(ResString(busy ? res::IDS_CHANNEL_BEING_RECORDED : res::IDS_RECORDING_START_FAILED).arg(channel),
                       this);
  });
  connect(&m_recordings, &CRecordingManager::Changed, this, [this] {
    if (m_recordingsWindow && m_recordingsWindow->isVisible()) m_recordingsWindow->Refresh();
  });
  m_recordings.Load(FileLocation(DataFile::kRecordingSchedule));
}

void CVantrelDlg::ShowFavoritesMenu(const QPoint& at) {
  const std::vector<CChannel>& favorites = GetChannelList().favorites;
  const int row = m_favorites.rowAt(at.y());
  const CChannel* channel =
      row >= 0 && static_cast<size_t>(row) < favorites.size() ? &favorites[static_cast<size_t>(row)] : nullptr;
  QMenu menu(this);
  AddRecordActions(menu, channel);
  menu.exec(m_favorites.viewport()->mapToGlobal(at));
}

void CVantrelDlg::AddRecordActions(QMenu& menu, const CChannel* channel) {
  if (!menu.isEmpty()) menu.addSeparator();
  QMenu* record = menu.addMenu(ResString(res::IDS_RECORD_CHANNEL));
  record->setObjectName(QStringLiteral("recordChannelMenu"));
  record->setEnabled(channel != nullptr && !channel->URL.empty());
  if (channel != nullptr) {
    // A copy: the views may be refilled while the file dialog runs.
    const CChannel chosen = *channel;
    const std::pair<int, int> lengths[] = {{res::IDS_RECORD_UNLIMITED, 0},
                                           {res::IDS_RECORD_30_MINUTES, 30},
                                           {res::IDS_RECORD_1_HOUR, 60},
                                           {res::IDS_RECORD_2_HOURS, 120}};
    for (const auto& [text, minutes] : lengths) {
      QAction* action = record->addAction(ResString(text), this, [this, chosen, m = minutes] { RecordChannel(chosen, m); });
      action->setData(minutes);
    }
  }
  menu.addAction(ResString(res::IDS_SHOW_RECORDINGS), this, &CVantrelDlg::ShowRecordings);
}

void CVantrelDlg::RecordChannel(const CChannel& channel, int minutes) {
  const QString url = ToQString(channel.URL);
  if (url.isEmpty() || m_ending) return;
  if (m_recordings.IsCapturing(url) || (m_recorder.IsRecording() && m_recorder.RecordingUrl() == url)) {
    ShowSkinnedMessage(ResString(res::IDS_ALREADY_RECORDING), this);
    return;
  }
  const QString file = ChooseRecordingFile();
  // The dialog runs its own event loop: the window may have been closed meanwhile.
  if (file.isEmpty() || m_ending) return;
  const int64_t stop = minutes > 0 ? RecordingClockNow() + int64_t{minutes} * 60 * 1000 : 0;
  m_recordings.Record(channel, file, stop);
  ShowRecordings();
}

void CVantrelDlg::RecordProgramme(const CChannel& channel, const QDateTime& start, const QDateTime& stop,
                                  const QString& title) {
  if (channel.URL.empty() || !start.isValid() || !stop.isValid() || stop <= start || m_ending) return;
  const ProgrammeMargins margins = CurrentProgrammeMargins();
  PlannedRecording plan;
  plan.channel = channel.name.empty() ? channel.URL : channel.name;
  plan.url = channel.URL;
  plan.userAgent = channel.userAgent;
  plan.referrer = channel.referrer;
  plan.title = ToU16(title);
  plan.startMs = start.toMSecsSinceEpoch() - margins.beforeMs;
  plan.stopMs = stop.toMSecsSinceEpoch() + margins.afterMs;
  const QString when = start.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH.mm"));
  const std::filesystem::path folder = FileLocation(DataFile::kRecordings);
  plan.file = Utf8ToUtf16((folder / Utf16ToUtf8(ProgrammeFileName(plan.channel, plan.title, ToU16(when)))).string());
  m_recordings.Schedule(std::move(plan));
  ShowRecordings();
}

CRecordingsWindow& CVantrelDlg::RecordingsWindow() {
  if (!m_recordingsWindow) {
    m_recordingsWindow = std::make_unique<CRecordingsWindow>([this] { return RecordingRows(); },
                                                             [this](uint64_t key) { StopRecordingRow(key); },
                                                             &RecordingClockNow, this);
  }
  return *m_recordingsWindow;
}

void CVantrelDlg::ShowRecordings() {
  if (m_ending) return;
  CRecordingsWindow& window = RecordingsWindow();
  window.show();
  window.raise();
  window.Refresh();
}

std::vector<RecordingsRow> CVantrelDlg::RecordingRows() const {
  std::vector<RecordingsRow> rows;
  if (m_recorder.IsRecording()) {
    RecordingsRow row;
    row.key = 0;
    row.channel = RecordedChannelName(m_recorder.RecordingUrl(), m_zapper.Current());
    row.file = m_recorder.RecordingFile();
    row.startMs = m_recordButtonSince;
    rows.push_back(row);
  }
  for (const ScheduledRecording& entry : m_recordings.Entries()) {
    RecordingsRow row;
    row.key = entry.id;
    row.channel = ToQString(entry.plan.title.empty() ? entry.plan.channel : entry.plan.channel + u" — " + entry.plan.title);
    row.file = ToQString(entry.file.empty() ? entry.plan.file : entry.file);
    row.waiting = entry.phase == RecordingPhase::kWaiting;
    row.connecting = entry.phase == RecordingPhase::kStarting;
    row.startMs = row.waiting ? entry.plan.startMs : entry.startedMs;
    row.stopMs = entry.plan.stopMs;
    rows.push_back(row);
  }
  return rows;
}

void CVantrelDlg::StopRecordingRow(uint64_t key) {
  if (key != 0) {
    m_recordings.Stop(key);
    return;
  }
  // As a click on the record button does: the button goes off, then the capture stops.
  if (!m_recorder.IsRecording()) return;
  m_record.SetToggleState(false);
  m_recorder.OnRecord();
}

}  // namespace vantrel
