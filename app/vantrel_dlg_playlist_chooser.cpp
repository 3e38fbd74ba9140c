#include "app/vantrel_dlg_playlist_chooser.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/resource.h"
#include "base/qt_strings.h"

namespace vantrel {
namespace {

std::function<QString()>& Hook() {
  static std::function<QString()> hook;
  return hook;
}

}  // namespace

QString ChoosePlaylist(QWidget* owner) {
  if (Hook()) return Hook()();
  QDialog dialog(owner);
  dialog.setWindowTitle(ResString(res::IDS_OPEN_PLAYLIST));
  auto* field = new QLineEdit(&dialog);
  field->setMinimumWidth(360);
  auto* browse = new QPushButton(ResString(res::IDS_BROWSE), &dialog);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, field] {
    const QString file = QFileDialog::getOpenFileName(&dialog, ResString(res::IDS_OPEN_PLAYLIST), QString(),
                                                      ResString(res::IDS_PLAYLIST_FILTER));
    if (!file.isEmpty()) field->setText(file);
  });
  auto* row = new QHBoxLayout;
  row->addWidget(field);
  row->addWidget(browse);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(ResString(res::IDS_PLAYLIST_ADDRESS), &dialog));
  layout->addLayout(row);
  layout->addWidget(buttons);
  return dialog.exec() == QDialog::Accepted ? field->text().trimmed() : QString();
}

void SetPlaylistChooserForTesting(std::function<QString()> chooser) { Hook() = std::move(chooser); }

}  // namespace vantrel
