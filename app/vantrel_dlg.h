#pragma once
#include <QDialog>

#include "app/status_line.h"

namespace vantrel {

// The main window. For now a plain dialog titled with the program's version that shows
// status texts; the skinned window with its controls replaces it.
class CVantrelDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CVantrelDlg(QWidget* parent = nullptr);

  void ShowStatusText(const QString& text);
  const CStatusLine& StatusLine() const { return m_status; }

 private:
  CStatusLine m_status;
};

}  // namespace vantrel
