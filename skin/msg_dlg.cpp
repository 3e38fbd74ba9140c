#include "skin/msg_dlg.h"

#include "base/message_box.h"
#include "skin/skin_set.h"

namespace vantrel {

VantrelMsgDlg::VantrelMsgDlg(const QString& backgroundPath, const QString& okPath, const QString& cancelPath,
                             const QString& text, QWidget* owner)
    : CSkinAnswerDialog(kOkCommand, kCancelCommand, owner), m_text(this) {
  AddBackground(backgroundPath);
  AddAnswerButton(m_ok, okPath, kOkCommand, kOkAt, kAnchorLeft, kAnchorFollowBottom);
  AddAnswerButton(m_cancel, cancelPath, kCancelCommand, kCancelAt, kAnchorLeft, kAnchorFollowBottom);
  // The text sits on the skin: no background of its own, centred, wrapped within its box.
  m_text.setObjectName(QString::number(kTextId));
  m_text.setGeometry(kTextRect);
  m_text.setAlignment(Qt::AlignCenter);
  m_text.setWordWrap(true);
  m_text.setAutoFillBackground(false);
  m_text.setText(text);
}

void InstallSkinnedMessageBox(const std::filesystem::path& skinFolder) {
  auto path = [skinFolder](SkinFile file) { return QString::fromStdString(SkinFilePath(skinFolder, file).string()); };
  SetSkinnedMessageBoxImpl([path](const QString& text, QWidget* owner) {
    VantrelMsgDlg box(path(kMessageBack), path(kButtonOk), path(kButtonCancel), text, owner);
    return box.exec() == kIdOk ? MsgResult::Ok : MsgResult::Cancel;
  });
}

}  // namespace vantrel
