#include "app/vantrel_dlg_guide_day.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QVBoxLayout>

#include "app/vantrel_dlg_guide.h"
#include "base/qt_strings.h"
#include "resources/resource.h"

namespace vantrel {
namespace {

// "Вчера, 8 декабря", "Сегодня, 9 декабря", "Завтра, 10 декабря", "Пятница, 11 декабря".
QString DayText(int dayOffset, std::int64_t now) {
  const QDate date = QDateTime::fromSecsSinceEpoch(LocalDay(now, dayOffset).from).date();
  const QLocale russian(QLocale::Russian, QLocale::Russia);
  const QString dayAndMonth = russian.toString(date, QStringLiteral("d MMMM"));
  switch (dayOffset) {
    case -1: return ResString(res::IDS_GUIDE_YESTERDAY).arg(dayAndMonth);
    case 0: return ResString(res::IDS_GUIDE_TODAY).arg(dayAndMonth);
    case 1: return ResString(res::IDS_GUIDE_TOMORROW).arg(dayAndMonth);
    default: {
      QString text = russian.toString(date, QStringLiteral("dddd, d MMMM"));
      if (!text.isEmpty()) text[0] = text[0].toUpper();
      return text;
    }
  }
}

}  // namespace

CGuideDayWindow::CGuideDayWindow(const CGuideService& guide, QWidget* parent) : QDialog(parent), m_guide(guide) {
  setObjectName(QStringLiteral("guideDayWindow"));
  setWindowTitle(ResString(res::IDS_GUIDE_TITLE));
  m_days.setObjectName(QStringLiteral("guideDays"));
  m_list.setObjectName(QStringLiteral("guideList"));
  m_record.setObjectName(QStringLiteral("guideRecord"));
  m_sources.setObjectName(QStringLiteral("guideSources"));
  m_list.setColumnCount(2);
  m_list.setHeaderLabels({ResString(res::IDS_GUIDE_TIME_COLUMN), ResString(res::IDS_GUIDE_PROGRAMME_COLUMN)});
  m_list.setRootIsDecorated(false);
  m_list.setUniformRowHeights(true);
  m_list.setSelectionMode(QAbstractItemView::SingleSelection);
  m_list.header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  m_list.header()->setStretchLastSection(true);
  m_list.setContextMenuPolicy(Qt::CustomContextMenu);
  m_record.setText(ResString(res::IDS_GUIDE_RECORD));
  m_sources.setText(ResString(res::IDS_GUIDE_SOURCES));
  m_close.setText(ResString(res::IDS_GUIDE_CLOSE));
  // Enter closes the window; it never records by surprise.
  for (QPushButton* button : {&m_record, &m_sources}) button->setAutoDefault(false);
  m_close.setDefault(true);

  auto* top = new QHBoxLayout;
  top->addWidget(&m_name, 1);
  top->addWidget(&m_days);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(&m_sources);
  bottom->addStretch(1);
  bottom->addWidget(&m_record);
  bottom->addWidget(&m_close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(&m_list, 1);
  layout->addLayout(bottom);
  resize(460, 520);

  connect(&m_days, &QComboBox::activated, this, [this](int index) { ShowDay(kFirstDay + index); });
  connect(&m_list, &QTreeWidget::itemSelectionChanged, this, &CGuideDayWindow::UpdateRecordButton);
  connect(&m_list, &QWidget::customContextMenuRequested, this, &CGuideDayWindow::ShowMenu);
  connect(&m_record, &QPushButton::clicked, this, &CGuideDayWindow::RecordSelected);
  connect(&m_sources, &QPushButton::clicked, this, &CGuideDayWindow::SourcesRequested);
  connect(&m_close, &QPushButton::clicked, this, &QDialog::close);
}

int CGuideDayWindow::Day() const { return kFirstDay + std::max(m_days.currentIndex(), 0); }

void CGuideDayWindow::ShowChannel(const CChannel& channel) {
  m_channel = channel;
  m_name.setText(ToQString(channel.name));
  setWindowTitle(ResString(res::IDS_GUIDE_TITLE) + QStringLiteral(" — ") + ToQString(channel.name));
  ShowDay(0);
}

void CGuideDayWindow::ShowDay(int dayOffset) {
  // The names of the days move on at midnight: made afresh each time.
  FillDays();
  m_days.setCurrentIndex(std::clamp(dayOffset, kFirstDay, kLastDay) - kFirstDay);
  FillList();
}

// The programme chosen stays chosen when it is still listed.
void CGuideDayWindow::Reload() {
  const GuideProgramme* selected = SelectedProgramme();
  const std::optional<std::int64_t> start = selected ? std::optional(selected->start) : std::nullopt;
  ShowDay(Day());
  for (std::size_t row = 0; start && row < m_programmes.size(); ++row)
    if (m_programmes[row].start == *start) m_list.setCurrentItem(m_list.topLevelItem(static_cast<int>(row)));
}

void CGuideDayWindow::FillDays() {
  const std::int64_t now = CGuideService::Now();
  m_days.clear();
  for (int day = kFirstDay; day <= kLastDay; ++day) m_days.addItem(DayText(day, now));
}

void CGuideDayWindow::FillList() {
  m_list.clear();
  m_programmes = m_channel ? m_guide.Day(*m_channel, Day()) : std::vector<GuideProgramme>{};
  m_currentRow = -1;
  if (m_programmes.empty()) {
    auto* empty = new QTreeWidgetItem(&m_list, {QString(), ResString(res::IDS_GUIDE_EMPTY_DAY)});
    empty->setFlags(Qt::NoItemFlags);
    UpdateRecordButton();
    return;
  }
  const std::int64_t now = CGuideService::Now();
  const QColor past = palette().color(QPalette::Disabled, QPalette::Text);
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(m_programmes.size()));
  for (std::size_t row = 0; row < m_programmes.size(); ++row) {
    const GuideProgramme& programme = m_programmes[row];
    QString title = QString::fromStdString(programme.title);
    if (!programme.subTitle.empty()) title += QStringLiteral(". ") + QString::fromStdString(programme.subTitle);
    auto* item = new QTreeWidgetItem({GuideTimeRange(programme), title});
    if (!programme.description.empty()) item->setToolTip(1, QString::fromStdString(programme.description));
    if (programme.start <= now && now < programme.stop) {
      m_currentRow = static_cast<int>(row);
      QFont bold = font();
      bold.setBold(true);
      for (int column : {0, 1}) item->setFont(column, bold);
    } else if (programme.stop <= now) {
      for (int column : {0, 1}) item->setForeground(column, past);
    }
    items << item;
  }
  m_list.addTopLevelItems(items);
  if (m_currentRow >= 0) {
    QTreeWidgetItem* current = m_list.topLevelItem(m_currentRow);
    m_list.setCurrentItem(current);
    m_list.scrollToItem(current, QAbstractItemView::PositionAtCenter);
  }
  UpdateRecordButton();
}

const GuideProgramme* CGuideDayWindow::SelectedProgramme() const {
  const QList<QTreeWidgetItem*> selected = m_list.selectedItems();
  if (selected.isEmpty() || m_programmes.empty()) return nullptr;
  const int row = m_list.indexOfTopLevelItem(selected.front());
  return row >= 0 && static_cast<std::size_t>(row) < m_programmes.size() ? &m_programmes[row] : nullptr;
}

void CGuideDayWindow::UpdateRecordButton() {
  const GuideProgramme* programme = SelectedProgramme();
  m_record.setEnabled(m_channel && programme != nullptr && programme->stop > CGuideService::Now());
}

void CGuideDayWindow::RecordSelected() {
  UpdateRecordButton();
  const GuideProgramme* programme = SelectedProgramme();
  if (!m_record.isEnabled() || programme == nullptr) return;
  emit RecordRequested(*m_channel, QDateTime::fromSecsSinceEpoch(programme->start, Qt::UTC),
                       QDateTime::fromSecsSinceEpoch(programme->stop, Qt::UTC),
                       QString::fromStdString(programme->title));
}

void CGuideDayWindow::ShowMenu(const QPoint& at) {
  UpdateRecordButton();
  if (SelectedProgramme() == nullptr) return;
  QMenu menu(this);
  QAction* record = menu.addAction(ResString(res::IDS_GUIDE_RECORD), this, &CGuideDayWindow::RecordSelected);
  record->setEnabled(m_record.isEnabled());
  menu.exec(m_list.viewport()->mapToGlobal(at));
}

}  // namespace vantrel
