#pragma once
// "Источники телепрограммы": every guide the program keeps, with where it came from and how
// its last refresh went. The user adds an address or a file of their own (typed, or chosen
// with "Обзор…") and removes those; the playlists' guides come and go with their playlists.
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace vantrel {

class CGuideService;
struct GuideSourceState;

class CGuideSourcesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CGuideSourcesDialog(CGuideService& guide, QWidget* parent = nullptr);

  QTreeWidget& List() { return m_list; }
  QLineEdit& SourceEdit() { return m_edit; }
  QPushButton& AddButton() { return m_add; }
  QPushButton& RemoveButton() { return m_remove; }
  QLabel& Message() { return m_message; }

  // Adds what the field holds; says why not under the field.
  void AddTyped();
  // Removes the selected source when it is the user's own.
  void RemoveSelected();

 private:
  void Fill();
  void Browse();
  void UpdateButtons();

  CGuideService& m_guide;
  QTreeWidget m_list;
  QLineEdit m_edit;
  QPushButton m_add;
  QPushButton m_browse;
  QPushButton m_remove;
  QPushButton m_refresh;
  QPushButton m_close;
  QLabel m_message;
};

// The state of a source in the user's words: "обновлена в 20:15", "не получена: ...".
QString DescribeGuideSourceState(const GuideSourceState* state);

}  // namespace vantrel
