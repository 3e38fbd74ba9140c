#pragma once
// "Телепрограмма": one channel's programmes of a local day, yesterday to a week ahead, in
// local time, the one on now marked and in view. A programme that has not ended yet can be
// recorded (the button or the list's menu); the window asks for it through RecordRequested.
// A plain window laid out by Qt, so it suits every skin and every font.
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <optional>
#include <vector>

#include "catalogue/channel.h"
#include "catalogue/guide/guide_store.h"

namespace vantrel {

class CGuideService;

class CGuideDayWindow : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kFirstDay = -1;  // yesterday
  static constexpr int kLastDay = 7;    // a week from today

  explicit CGuideDayWindow(const CGuideService& guide, QWidget* parent = nullptr);

  // Today's list of `channel` (a copy is kept), the programme on now selected.
  void ShowChannel(const CChannel& channel);
  // The list of the day `dayOffset` days from today, kFirstDay to kLastDay.
  void ShowDay(int dayOffset);
  // Reads the guide again for the day shown (a guide came in), keeping the programme chosen.
  void Reload();
  int Day() const;
  const std::optional<CChannel>& Channel() const { return m_channel; }
  // The programmes listed, row by row; the row of the one on now, -1 when it is not listed.
  const std::vector<GuideProgramme>& Programmes() const { return m_programmes; }
  int CurrentRow() const { return m_currentRow; }

  QComboBox& DaySelector() { return m_days; }
  QTreeWidget& List() { return m_list; }
  QPushButton& RecordButton() { return m_record; }
  QPushButton& SourcesButton() { return m_sources; }
  // Asks for a recording of the selected programme, unless it has ended.
  void RecordSelected();

 signals:
  // Start and stop are UTC moments of the programme; the recording adds its own margins.
  void RecordRequested(const CChannel& channel, const QDateTime& start, const QDateTime& stop, const QString& title);
  void SourcesRequested();

 private:
  void FillDays();
  void FillList();
  void UpdateRecordButton();
  const GuideProgramme* SelectedProgramme() const;
  void ShowMenu(const QPoint& at);

  const CGuideService& m_guide;
  std::optional<CChannel> m_channel;
  std::vector<GuideProgramme> m_programmes;
  int m_currentRow = -1;
  QLabel m_name;
  QComboBox m_days;
  QTreeWidget m_list;
  QPushButton m_sources;
  QPushButton m_record;
  QPushButton m_close;
};

}  // namespace vantrel
