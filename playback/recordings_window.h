#pragma once
// The list of recordings: a small window of its own beside the main one (so every skin shows
// it the same), one row per capture running or waiting for its time, with the channel, the
// time recorded so far (or when it starts), the file's size, and a button that stops it. The
// rows come from the caller and are read again every second while the window is shown.
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

namespace vantrel {

struct RecordingsRow {
  uint64_t key = 0;  // handed back to the stop callback
  QString channel;
  QString file;
  bool waiting = false;    // not started yet: `startMs` says when it will
  bool connecting = false;
  int64_t startMs = 0;     // UTC ms: when it started or will start
  int64_t stopMs = 0;      // UTC ms; 0: until stopped
};

class CRecordingsWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRefreshMs = 1000;
  enum Column { kChannelColumn, kTimeColumn, kSizeColumn, kStopColumn, kColumnCount };

  CRecordingsWindow(std::function<std::vector<RecordingsRow>()> rows, std::function<void(uint64_t key)> stop,
                    std::function<int64_t()> now, QWidget* parent = nullptr);

  // Reads the rows again.
  void Refresh();
  QTableWidget& Table() { return m_table; }
  // The row's stop button; nullptr outside the table.
  QPushButton* StopButton(int row) const;

  // "1:02:03" or "2:03".
  static QString ElapsedText(int64_t ms);
  // "512 КБ", "12,3 МБ".
  static QString SizeText(int64_t bytes);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QString TimeText(const RecordingsRow& row, int64_t now) const;

  std::function<std::vector<RecordingsRow>()> m_rows;
  std::function<void(uint64_t)> m_stop;
  std::function<int64_t()> m_now;
  std::vector<uint64_t> m_shownKeys;
  QTableWidget m_table;
  QTimer m_timer;
};

}  // namespace vantrel
